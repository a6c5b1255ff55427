#include "crash/ui/dialog/ProgressSteps.h"

#include <algorithm>

void TProgressSteps::AddStep(const std::string& text, int weight) { FSteps.push_back({text, std::max(weight, 1)}); }

void TProgressSteps::SetCurrent(int step) {
  FCurrent = std::clamp(step, 0, std::max(Count() - 1, 0));
  FFraction = 0;
}

void TProgressSteps::SetFraction(double fraction) { FFraction = std::clamp(fraction, 0.0, 1.0); }

std::string TProgressSteps::Text() const { return FSteps.empty() ? std::string() : FSteps[FCurrent].Text; }

double TProgressSteps::Position() const {
  if (FSteps.empty()) return 0;
  double total = 0, done = 0;
  for (int i = 0; i < Count(); ++i) {
    total += FSteps[i].Weight;
    if (i < FCurrent) done += FSteps[i].Weight;
  }
  done += FFraction * FSteps[FCurrent].Weight;
  return done / total;
}
