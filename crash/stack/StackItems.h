#pragma once
// The working data of one trace: the candidate items in stack order (index 0
// outermost) with their links, and what the phases share.
#include <cstdint>
#include <string>
#include <unordered_set>
#include <vector>

#include "crash/stack/TraceStack.h"

// A link to another item (or, for the self entry, to none) with the call that
// makes the connection.
struct TStackLink {
  int Other = -1;
  TStackAddress CallSite = 0;  // 0 when unknown
  bool HasTarget = false;
  TStackAddress Target = 0;
  int Function = -1;
  std::uint64_t Score = 0;  // 0 until computed
};

struct TLinkList {
  std::vector<TStackLink> Entries;
  int Best = -1;
};

struct TInternalStackItem {
  TStackAddress Address = 0;
  bool Sure = false;
  bool Top = false;
  bool Invalid = false;
  int Module = -1;
  TLinkList Down;  // to inner items
  TLinkList Up;    // to outer items, plus the self entry
  int LineBefore = -2;  // cached line of Address - 1; -2 not yet looked up

  // Output.
  TStackAddress ShownAddress = 0;
  std::string ModuleName;
  std::string UnitName;
  int Line = 0;
  int Figure = 0;
  std::string FunctionName;
  bool HasFunctionStart = false;
  TStackAddress FunctionStart = 0;
};

// Thrown by the phases when the abort flag is seen.
struct TTraceAborted {};

struct TTraceState {
  TTraceState(IStackEnvironment& e, TFunctionList& f, const TTraceStackInput& i) : Env(e), Functions(f), In(i) {}

  IStackEnvironment& Env;
  TFunctionList& Functions;
  const TTraceStackInput& In;
  std::vector<TInternalStackItem> Items;
  bool CurrentAppended = false;
  // Functions found inconsistent in this trace. Kept per trace: the function
  // list outlives it, and one stack's conflict says nothing about another's.
  std::unordered_set<int> InvalidFunctions;

  int Count() const { return static_cast<int>(Items.size()); }
  TInternalStackItem& operator[](int i) { return Items[static_cast<std::size_t>(i)]; }
  bool Valid(int i) const { return i >= 0 && i < Count() && !Items[static_cast<std::size_t>(i)].Invalid; }
  bool IsCreationItem(int i) const { return i == 0 && In.HasCreationAddress; }
  bool ModuleHasMap(int module);
  // Line of the item's address - 1 when its module has map information.
  int LineBefore(int i);
  bool FunctionValid(int f) const { return f >= 0 && InvalidFunctions.count(f) == 0; }
  bool FunctionApproved(int f) const { return FunctionValid(f) && Functions[f].Approved; }

  void CheckAbort() const;
  void Progress(int position) const;

  // Drops every link that names item `i` and the item's own links.
  void RemoveLinksOf(int i);
  // Flags the function and drops every link that names it.
  void InvalidateFunction(int f);
};
