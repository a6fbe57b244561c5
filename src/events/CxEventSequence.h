// Sequences: a list of events that runs one after another on a private
// channel, and counts as one event on the channel it is posted to.  A
// sequence file is the text form, one item a line:
//
//   # comment
//   continue Lua print("next event starts in the same pass")
//   Event system.Sleep(100)
//   Dynamic Event Room.Say($ROOMNAME)      -- made from its text when it starts
//   Sequence "nested file.seq"
//
// Events finish released, not deleted, so a sequence can be played again.
#pragma once
#include "events/CxEvent.h"
#include "events/CxInterpolator.h"

class CxSequence : public CxEvent {
public:
    CxSequence();
    ~CxSequence() override;

    void Release() override { started_ = false; }
    void Start() override;
    bool IsStarted() override { return started_; }
    void Stop() override { CxEvent::FlushChannel(private_); }
    bool IsDone() override { return CxEvent::IsChannelEmpty(private_); }
    void Pause() override { CxEvent::PauseChannel(private_); }
    void Resume() override { CxEvent::ResumeChannel(private_); }
    bool IsPaused() override { return CxEvent::IsChannelPaused(private_); }

    void Append(CxEvent* event) { events_.AddTail(event); }
    int  Count() const { return events_.GetCount(); }
    void Empty();
    uint32_t GetPrivateChannel() const { return private_; }

protected:
    CxLinkedList<CxEvent*> events_;

private:
    uint32_t private_ = 0;
    bool started_ = false;
};

class CxEventSequenceFile : public CxSequence {
public:
    explicit CxEventSequenceFile(CxEventCreator* creator = nullptr) : creator_(creator) {}

    int Load(const char* path, const CxInterpolator* variables);
    // Parses text as a sequence file's contents; `depth` bounds nesting.
    int Parse(char* text, size_t size, const CxInterpolator* variables, int depth);
    const char* GetPath() const { return path_.Text(); }
    void SetCreator(CxEventCreator* creator) { creator_ = creator; }

private:
    int LoadNested(const char* path, const CxInterpolator* variables, int depth);

    CxString path_;
    CxEventCreator* creator_;
};
