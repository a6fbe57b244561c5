// The movie driver over the platform's decoder: Smacker files and the
// formats the game's own movies come in, read through the engine's file
// systems (so a movie inside a zip archive plays too).
#pragma once
#include "foundation/CxString.h"
#include "media/CxMovieAudio.h"
#include "media/CxMovieDriver.h"

#include <memory>

namespace platform {
class MovieDecoder;
}

class CxLibavMovieDriver : public CxMovieDriver {
public:
    CxLibavMovieDriver();
    ~CxLibavMovieDriver() override;

    int  Open(const char* path, uint32_t flags) override;
    void Close() override;
    int32_t GetWidth() const override;
    int32_t GetHeight() const override;
    int  GetDefaultDepth() const override;
    int32_t GetNumFrames() const override;
    int  GotoFrame(int32_t frame) override;
    int32_t GetCurFrame() const override { return curFrame_; }
    int  Render(CxMovieRenderRequest* request) override;
    void SetVolumePan(int volume, int track) override;
    CxDrawSurface* NewSurface() override;
    int  PrepareSurface(CxDrawSurface* surface, int depth) override;
    int  Command(const char* name, int32_t value) override;
    bool HasAlpha() const override;

    uint32_t GetFrameIntervalMs() const { return intervalMs_; }
    bool HasSound() const { return audio_ != nullptr; }
    int32_t GetTrackNumber() const { return trackNumber_; }
    static CxMovieDriver* Create(const char* path, uint32_t flags);
    // Bounds on the movies any driver opens from now on (frames, pixels a
    // picture); 0 restores the built-in bound.  The fuzz target keeps them small.
    static void SetLimits(int32_t maxFrames, int64_t maxPixels);

private:
    int  DecodeInto(CxDrawSurface* surface, int32_t x, int32_t y);
    void PushSound();

    std::unique_ptr<platform::MovieDecoder> decoder_;
    CxMovieAudioOutput* audio_ = nullptr;
    CxString path_;
    uint32_t flags_ = 0;
    int32_t trackNumber_ = 0;
    int32_t curFrame_ = 0;
    uint32_t intervalMs_ = 66;
    uint32_t due_ = 0;
    bool timed_ = false;     // `due_` holds a time
    bool soundOn_ = false;
    bool held_ = false;
};
