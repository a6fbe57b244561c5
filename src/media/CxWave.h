// A sound played through the digital driver: one voice while it plays.
#pragma once
#include "media/CxSound.h"

struct PlatVoice;

class CxWave : public CxSound {
public:
    CxWave();
    ~CxWave() override;

    int  Load(const char* path) override;
    void Unload() override;
    void Update() override;
    bool IsDone() override;
    void SetVol(int volume) override;
    int  StartSample() override;
    void StopSample() override;
    void PauseSample() override;
    void ResumeSample() override;
    uint32_t GetSampleSize() override;
    uint32_t GetSamplePosition() override;
    void SetSampleRate(int rate) override;
    int  GetSampleRate() override;

    PlatVoice* GetVoice() const { return voice_; }

private:
    PlatVoice* voice_ = nullptr;
    int rateOverride_ = -1;
};

// Where an MP3 image's audio begins: past an ID3 version 2.3 tag (and its
// extended header) when one is there and fits, else 0.
uint32_t SkipId3Tag(const uint8_t* data, uint32_t size);
