// The global script functions of the event machinery: channels, posting
// events, script-line events, sequences and text interpolation.
//
//   GetSystemChannel() GetRoomChannel() CreateChannel() DestroyChannel(ch)
//   FlushChannel(ch) IsChannelEmpty(ch) IsChannelPaused(ch) PauseChannel(ch)
//   ResumeChannel(ch) DoEvent(text[, ch[, runNextNow]])
//   DoLuaEvent(code[, ch[, runNextNow]])
//   DoLuaTimerEvent(duration, interval, code[, ch[, runNextNow]])
//   DoSequence(file[, ch]) Interpolate(text)
//
// A missing or 0 channel means the system channel for the posting functions.
#pragma once
#include <cstdint>

struct lua_State;

void RegisterEventScriptFunctions(lua_State* state);

// The application's system channel and the current room's channel, as the
// layers that own them set them (0 while there is none).
void SetSystemChannel(uint32_t channelId);
uint32_t GetSystemChannelId();
void SetRoomChannel(uint32_t channelId);
uint32_t GetRoomChannelId();
