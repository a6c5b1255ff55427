#pragma once
// The steps of a wait or progress box, each with a text and a weight: the
// bar shows the weights of the completed steps plus the position within the
// current one. Any thread that owns it.
#include <string>
#include <vector>

class TProgressSteps {
 public:
  // A weight below 1 counts as 1.
  void AddStep(const std::string& text, int weight);
  int Count() const { return static_cast<int>(FSteps.size()); }
  // Makes step the current one (clamped), at its start.
  void SetCurrent(int step);
  int Current() const { return FCurrent; }
  // Within the current step, 0 to 1 (clamped).
  void SetFraction(double fraction);
  // The current step's text; empty when there are no steps.
  std::string Text() const;
  // Of the whole, 0 to 1; 0 with no steps.
  double Position() const;

 private:
  struct TStep {
    std::string Text;
    int Weight;
  };
  std::vector<TStep> FSteps;
  int FCurrent = 0;
  double FFraction = 0;
};
