// A room laid out by its description file "<Name>/<Name>.ini".
//
// The file is read once, when the room is created; its values are applied
// at every start, and everything a start makes (the room channel, the
// "<ActivityPath>" file system over the room's folder, the variables, the
// buttons, the milestones, the idle timer) is gone again after the stop.
//
// While it runs the room is an event creator under its own name and under
// "Room": every event it is asked for is a command event that comes back to
// OnCommand ("House.SetScore(10)", "Room.AddScore(5)").
//
// Idle time-outs: input restarts the idle timer; when it runs out the
// IdleCount-th "OnTimeOut<n>" line of the file runs, at most MaxIdleCount
// times until input or a StartIdleTimer resets the count.
#pragma once
#include "core/CxOptions.h"
#include "events/CCommandHandler.h"
#include "events/CxEvent.h"
#include "framework/CKelIdle.h"
#include "app/CxGameWindow.h"

class CKelButton;
class CKelScoreText;
class CxFileSystem;
class CxInterpolator;
class CxLuaEngine;

// One score milestone: reached once until ResetMilestones.
struct CKelMilestone {
    int32_t threshold;
    int16_t index;
    uint16_t flags;   // bit 0: reached
};

class CxMovie;

// An ambient movie as the description names it; played on top of the room.
struct CKelAmbientMovie {
    CxString fileName;
    CxPoint position;
    CxMovie* movie = nullptr;   // owned; null when the file is missing or would not load
    ~CKelAmbientMovie();
};

class CKelWindow : public CxGameWindow, public CxEventListener, public CxEventCreator, public CCommandHandler {
public:
    CKelWindow();
    ~CKelWindow() override;

    void OnRoomCreated() override;
    void StartRoom() override;
    void StopRoom() override;
    // The fade movies "COMMON/FADE0.SMK" after start and "COMMON/FADE1.SMK"
    // before stop, when they exist.
    void AfterStartRoom() override;
    void BeforeStopRoom() override;
    void UpdateRoom() override;
    void OnPause() override;
    void OnResume() override;

    // Input restarts the idle timer; the right-button release does not.
    void OnMouseMove(uint32_t keys, CxPoint point) override;
    void OnLButtonDown(uint32_t keys, CxPoint point) override;
    CxDisplayObject* OnLButtonUp(uint32_t keys, CxPoint point) override;
    CxDisplayObject* OnRButtonDown(uint32_t keys, CxPoint point) override;
    void OnKeyDown(KeyCode key, uint32_t flags) override;
    void OnNotify(int32_t kind, CxDisplayObject* sender, int32_t code, int32_t extra) override;

    CxEvent* CreateEvent(const char* creatorName, const char* kind, CxLinkedList<CxString>& arguments) override;
    int OnCommand(const char* command, CxLinkedList<CxString>& arguments) override;

    // Hooks for derived rooms; the framework's own do nothing.
    virtual void OnIdleTimeOut(int count);
    virtual void OnStateChange(int32_t state) { state_ = state; }
    virtual void OnNextState() {}
    virtual void OnStartLevel() {}
    virtual void OnMilestone(int index) {}
    virtual void OnButtonNotify(CxDisplayObject* sender, int32_t code, int32_t extra) {}
    virtual void OnButtonNotify2(CxDisplayObject* sender, int32_t code, int32_t extra) {}

    // The engine that runs this room's script lines: the one given, else
    // the running application's.
    void SetScriptEngine(CxLuaEngine* engine) { engine_ = engine; }
    CxLuaEngine* GetScriptEngine() const;
    int RunScriptLine(const char* line);
    // Runs the file when it exists: a missing one is no error.
    void RunScriptFileIfExists(const char* path);

    CxOptions& GetDescription() { return description_; }
    const CxString& GetActivityPath() const { return activityPath_; }
    void SetActivityPath(const char* path) { activityPath_ = path; }
    CxFileSystem* GetActivityFileSystem() const { return activityFs_; }
    uint32_t GetRoomChannel() const { return channel_; }
    CxInterpolator* GetVariables() const { return variables_; }
    const CxLinkedList<CKelAmbientMovie*>& GetAmbientMovies() const { return movies_; }
    CKelScoreText* GetScoreText() const { return scoreText_; }

    int32_t GetState() const { return state_; }
    int32_t GetScore() const { return score_; }
    int32_t GetLevel() const { return level_; }
    int32_t GetDifficulty() const { return difficulty_; }
    void SetScore(int32_t score);
    bool SetLevel(int32_t level);
    bool SetDifficulty(int32_t difficulty);
    void AddMilestone(int32_t threshold, int16_t index);
    void ResetMilestones();
    void KillMilestones();
    int  MilestoneCount() const { return milestones_.GetCount(); }

    // Buttons of this room, found by name without regard to case.
    CKelButton* FindButton(const char* name) const;
    int  ButtonCount() const { return buttons_.GetCount(); }
    void FlashButton(const char* name, bool on, uint32_t interval);
    void SetButtonState(const char* name, int32_t state);
    // The image as the room's surface, repainted; a failed load leaves none.
    void LoadBackground(const char* path);
    void BulgeScore(int32_t pointSize);

    // Idle time-outs.
    void StartIdleTimer() { idle_.Start(); }
    void StopIdleTimer() { idle_.Stop(); }
    void ResetIdleTimer() { idle_.Restart(); }   // what input does
    void SetIdleTime(uint32_t ms) { idle_.SetTime(ms); }
    uint32_t GetIdleTime() const { return idle_.GetTime(); }
    int32_t GetIdleCount() const { return idle_.GetCount(); }
    void SetIdleCount(int32_t count) { idle_.SetCount(count); }
    int32_t GetMaxIdleCount() const { return idle_.GetMaxCount(); }
    bool IsIdleTimerRunning() const { return idle_.IsRunning(); }
    const CxLinkedList<CxString>& GetTimeOutLines() const { return idle_.Lines(); }

protected:
    // Steps of the start, in order; each reads its part of the description.
    void CreateActivityFileSystem();
    void RemoveActivityFileSystem();
    void ApplyBackground();
    void CreateButtons();
    void AddSharedButtons();
    void RemoveButtons();
    void DeleteRetiredButtons();
    void CreateScoreText();
    void RemoveScoreText();
    void ReadMilestones();
    void ReadAmbientMovies();
    void StartAmbientMovie(CKelAmbientMovie* ambient, bool repeat);
    void PlayFadeMovie(const char* path);
    void ReadIdleSettings();

    CxOptions description_;
    CxString activityPath_;
    CxFileSystem* activityFs_ = nullptr;
    CxInterpolator* variables_ = nullptr;
    CxLuaEngine* engine_ = nullptr;
    uint32_t channel_ = 0;
    bool creatorRegistered_ = false;

    int32_t state_ = -1;
    int32_t score_ = 0, level_ = 0, minLevel_ = 0, maxLevel_ = 9;
    int32_t difficulty_ = 0, minDifficulty_ = 0, maxDifficulty_ = 2;
    CxLinkedList<CKelButton*> buttons_;   // own ones first, then the shared ones shown here
    CxLinkedList<CKelButton*> retiredButtons_;   // removed by a stop, deleted at the next frame
    CxLinkedList<CKelMilestone*> milestones_;
    CKelScoreText* scoreText_ = nullptr;
    int32_t scoreFont_ = -1;   // loaded for this visit; -1: none of our own
    bool scoreAlwaysDirty_ = false;   // repainted every frame (something draws over it)
    CxLinkedList<CKelAmbientMovie*> movies_;

    CKelIdle idle_;

private:
    void OpenChannel();
    void CloseChannel();
    void ClearMovies();
};
