#pragma once
// One undo step per edit. A step is opened before the document is changed and
// committed once the change is made, with the kind of change; a step still
// open when it goes out of scope is committed then, so no edit can run into
// the next one's step. A commit that finds the document as the last step left
// it records nothing: an edit that changed nothing adds no undo step and does
// not mark the document modified.

#include "history/Vemohistory.h"

class TVemoEventContext;

class TEditStep {
public:
    TEditStep(TVemoEventContext& context, TStepKind kind) : context_(context), kind_(kind) {}
    TEditStep(const TEditStep&) = delete;
    TEditStep& operator=(const TEditStep&) = delete;
    ~TEditStep() { Commit(); }

    // Records the step now (once); later calls do nothing.
    void Commit();
    // The same with the kind the edit turned out to be (a paste that brought layers).
    void Commit(TStepKind kind) {
        kind_ = kind;
        Commit();
    }
    // The edit was abandoned: nothing is recorded.
    void Dismiss() { open_ = false; }

private:
    TVemoEventContext& context_;
    TStepKind kind_;
    bool open_ = true;
};
