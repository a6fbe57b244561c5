#include "media/CxMovieLibavDriver.h"
#include "core/CxTime.h"
#include "files/QorFile.h"
#include "foundation/Qorstr.h"
#include "graphics/CxSurf.h"
#include "platform/video/PlatformMovie.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {
CxMovieAudioFactory gAudioFactory = nullptr;

// The engine's file API as the decoder's byte source.  Positions are checked
// here, so a seek the demuxer tries past either end fails quietly instead of
// being reported as a file error.  Zip members cannot seek: such a file is
// read whole into memory at open (movies in archives are small).
class QorMovieSource : public platform::MovieSource {
public:
    explicit QorMovieSource(QorFileHandle* handle) : handle_(handle), size_(QorFileGetHandleLength(handle))
    {
        bool seekable = QorFileSeek(handle_, size_ > 0 ? 1 : 0, 0) == 0 && QorFileTell(handle_) == (size_ > 0 ? 1 : 0) &&
                        QorFileSeek(handle_, 0, 0) == 0 && QorFileTell(handle_) == 0;
        if (seekable || size_ <= 0 || size_ > kMaxInMemory) return;
        memory_.resize(size_t(size_));
        uint32_t got = 0;
        if (QorFileRead(handle_, memory_.data(), uint32_t(size_), &got) != 0 || got != uint32_t(size_)) memory_.clear();
        QorFileClose(handle_);
        handle_ = nullptr;
        if (memory_.empty()) size_ = 0;
    }
    ~QorMovieSource() override { QorFileClose(handle_); }
    int Read(uint8_t* buffer, int size) override
    {
        if (size <= 0 || at_ >= size_) return 0;
        if (!handle_) {
            int count = int(std::min<int64_t>(size, size_ - at_));
            std::memcpy(buffer, memory_.data() + at_, size_t(count));
            at_ += count;
            return count;
        }
        uint32_t got = 0;
        if (QorFileRead(handle_, buffer, uint32_t(size), &got) != 0) return -1;
        at_ += got;
        return int(got);
    }
    int64_t Seek(int64_t offset, int whence) override
    {
        int64_t target = whence == 0 ? offset : whence == 1 ? at_ + offset : whence == 2 ? size_ + offset : -1;
        if (target < 0 || target > size_) return -1;
        if (handle_ && QorFileSeek(handle_, int32_t(target), 0) != 0) return -1;
        at_ = target;
        return at_;
    }
    int64_t Size() override { return size_; }

private:
    static constexpr int64_t kMaxInMemory = 256 << 20;
    QorFileHandle* handle_;
    int64_t size_;
    int64_t at_ = 0;
    std::vector<uint8_t> memory_;
};

platform::MoviePixels PixelsFor(const CxDrawSurface* surface, bool* ok)
{
    *ok = true;
    switch (surface->GetDepth()) {
    case 8: return platform::MoviePixels::Indexed8;
    case 16:
        if (surface->GetPixelFormat() == PIXFMT_565) return platform::MoviePixels::Rgb565;
        if (surface->GetPixelFormat() == PIXFMT_555) return platform::MoviePixels::Rgb555;
        break;
    case 32: return platform::MoviePixels::Argb32;
    default: break;
    }
    *ok = false;
    return platform::MoviePixels::Argb32;
}
}  // namespace

namespace {
int32_t gMaxFrames = 0;
int64_t gMaxPixels = 0;
}  // namespace

void SetMovieAudioFactory(CxMovieAudioFactory factory) { gAudioFactory = factory; }

void CxLibavMovieDriver::SetLimits(int32_t maxFrames, int64_t maxPixels)
{
    gMaxFrames = maxFrames;
    gMaxPixels = maxPixels;
}
CxMovieAudioFactory GetMovieAudioFactory() { return gAudioFactory; }

CxLibavMovieDriver::CxLibavMovieDriver() = default;
CxLibavMovieDriver::~CxLibavMovieDriver() { Close(); }

CxMovieDriver* CxLibavMovieDriver::Create(const char* path, uint32_t flags)
{
    auto* driver = new CxLibavMovieDriver;
    if (driver->Open(path, flags) == 0) return driver;
    delete driver;
    return nullptr;
}

int CxLibavMovieDriver::Open(const char* path, uint32_t flags)
{
    Close();
    if (!path || !path[0]) return Error(ERR_INVALID_ARGUMENT, "FileName is empty");
    QorFileHandle* handle = QorFileOpen(path, CBF_BINARY | CBF_READONLY);
    if (!handle) return Error(ERR_OPEN_FILE, "Could not open the movie %s", path);
    auto decoder = std::make_unique<platform::MovieDecoder>();
    platform::MovieOpenOptions options;
    options.audio = (flags & MOVIE_DRIVER_SOUND) != 0;
    options.audioRate = kMovieAudioRate;
    options.audioTrack = trackNumber_;
    if (gMaxFrames > 0) options.maxFrames = gMaxFrames;
    if (gMaxPixels > 0) options.maxPixels = gMaxPixels;
    if (!decoder->Open(std::make_unique<QorMovieSource>(handle), options))
        return Error(ERR_INVALID_FILE_TYPE, "The movie %s cannot be played: %s", path, decoder->Error().c_str());
    decoder_ = std::move(decoder);
    path_ = path;
    flags_ = flags;
    curFrame_ = 0;
    timed_ = false;
    int64_t interval = decoder_->FrameIntervalUs() / 1000;
    intervalMs_ = uint32_t(interval < 1 ? 1 : interval);
    if (decoder_->HasAudio() && gAudioFactory) audio_ = gAudioFactory(kMovieAudioRate, platform::MovieDecoder::kAudioChannels);
    soundOn_ = (flags & MOVIE_DRIVER_SOUND) != 0;
    Error(0);
    return 0;
}

void CxLibavMovieDriver::Close()
{
    delete audio_;
    audio_ = nullptr;
    decoder_.reset();
}

int32_t CxLibavMovieDriver::GetWidth() const { return decoder_ ? decoder_->Width() : 0; }
int32_t CxLibavMovieDriver::GetHeight() const { return decoder_ ? decoder_->Height() : 0; }
int CxLibavMovieDriver::GetDefaultDepth() const { return decoder_ && !decoder_->IsPalettised() ? 32 : 8; }
int32_t CxLibavMovieDriver::GetNumFrames() const { return decoder_ ? decoder_->FrameCount() : 0; }
bool CxLibavMovieDriver::HasAlpha() const { return decoder_ && decoder_->HasAlpha(); }

int CxLibavMovieDriver::GotoFrame(int32_t frame)
{
    if (!decoder_) return ERR_INVALID_ARGUMENT;
    int32_t count = decoder_->FrameCount();
    if (count <= 0) return ERR_INVALID_ARGUMENT;
    if (frame < 0 || frame >= count) frame = ((frame % count) + count) % count;
    // Sound only follows forward play: whatever was decoded for other frames is stale.
    if (frame != curFrame_) {
        decoder_->DropAudio();
        if (audio_) audio_->Flush();
    }
    curFrame_ = frame;
    return 0;
}

int CxLibavMovieDriver::DecodeInto(CxDrawSurface* surface, int32_t x, int32_t y)
{
    if (!surface || !surface->Lock()) return ERR_INVALID_ARGUMENT;
    bool known = false;
    platform::MovieFrameTarget target;
    target.format = PixelsFor(surface, &known);
    int32_t width = surface->GetWidth() - x, height = surface->GetHeight() - y;
    int code = 0;
    if (!known || x < 0 || y < 0 || width < decoder_->Width() || height < decoder_->Height()) {
        Error(ERR_INVALID_ARGUMENT, "The movie %s does not fit its surface", path_.Text());
        code = ERR_INVALID_ARGUMENT;
    } else {
        uint8_t palette[CX_PALETTE_BYTES];
        target.pixels = surface->GetPixelAddress(x, y);
        target.pitch = surface->GetPitch();
        target.width = width;
        target.height = height;
        target.palette = palette;
        bool paletteChanged = false;
        if (!decoder_->Seek(curFrame_) || !decoder_->DecodeNext(target, &paletteChanged)) code = ERR_READ_FILE;
        else if (surface->GetDepth() == 8 && paletteChanged) surface->SetPalette(palette);
    }
    surface->Unlock();
    return code;
}

void CxLibavMovieDriver::PushSound()
{
    if (!decoder_) return;
    if (!audio_ || !soundOn_ || held_) {
        decoder_->DropAudio();
        return;
    }
    int16_t block[2048 * platform::MovieDecoder::kAudioChannels];
    while (size_t got = decoder_->ReadAudio(block, 2048)) audio_->Submit(block, got);
}

int CxLibavMovieDriver::Render(CxMovieRenderRequest* request)
{
    if (!request || !decoder_) return ERR_INVALID_ARGUMENT;
    bool advance = (request->flags & MOVIE_RENDER_ADVANCE) != 0;
    uint32_t now = QorTickCount();
    if (advance && timed_ && int32_t(now - due_) < 0) {
        request->flags |= MOVIE_RENDER_WAITING;
        return 0;
    }
    if (!advance) decoder_->SetAudioEnabled(false);
    int code = DecodeInto(request->target, request->x, request->y);
    if (!advance) decoder_->SetAudioEnabled(true);
    request->flags |= code == 0 ? MOVIE_RENDER_DECODED : MOVIE_RENDER_FAILED;
    if (code == 0 && request->changed)
        request->changed->AddTail(CxRect{request->x, request->y, request->x + decoder_->Width() - 1,
                                         request->y + decoder_->Height() - 1});
    if (!advance) return code;
    // A frame late by more than one interval (a pause, a slow frame) restarts
    // the clock instead of rushing to catch up.
    due_ = timed_ && int32_t(now - due_) < int32_t(intervalMs_) ? due_ + intervalMs_ : now + intervalMs_;
    timed_ = true;
    PushSound();
    curFrame_ = decoder_->NextFrame() >= decoder_->FrameCount() ? 0 : decoder_->NextFrame();
    return code;
}

void CxLibavMovieDriver::SetVolumePan(int volume, int track)
{
    if (track != trackNumber_ || !audio_) return;
    audio_->SetVolumePan(volume < 0 ? 0 : volume > 127 ? 127 : volume, 64);
}

CxDrawSurface* CxLibavMovieDriver::NewSurface() { return new CxDrawSurface; }

int CxLibavMovieDriver::PrepareSurface(CxDrawSurface* surface, int depth)
{
    if (!surface || !decoder_) return ERR_INVALID_ARGUMENT;
    if (decoder_->IsPalettised() && depth > 8 && depth != 16 && depth != 32) depth = 32;
    if (depth != 8 && depth != 16 && depth != 32) depth = 32;
    int code = surface->Create(decoder_->Width(), decoder_->Height(), depth);
    if (code != 0) return code;
    if (depth == 8) {
        uint8_t grey[CX_PALETTE_BYTES];
        for (int i = 0; i < 256; ++i) grey[i * 3] = grey[i * 3 + 1] = grey[i * 3 + 2] = uint8_t(i);
        surface->SetPalette(grey);
    }
    return 0;
}

int CxLibavMovieDriver::Command(const char* name, int32_t value)
{
    if (TextEquals(name, "Play", true)) {
        soundOn_ = (flags_ & MOVIE_DRIVER_SOUND) != 0;
        held_ = false;
        timed_ = false;
        if (audio_) audio_->SetPlaying(soundOn_);
    } else if (TextEquals(name, "Stop", true)) {
        soundOn_ = false;
        if (audio_) {
            audio_->SetPlaying(false);
            audio_->Flush();
        }
    } else if (TextEquals(name, "Pause", true)) {
        // Held sound waits in the voice; the clock restarts on the way back.
        held_ = value != 0;
        if (!held_) timed_ = false;
        if (audio_) audio_->SetPlaying(!held_ && soundOn_);
    } else if (TextEquals(name, "TrackNumber", true)) {
        if (value == trackNumber_) return 0;
        trackNumber_ = value;
        if (!decoder_ || !(flags_ & MOVIE_DRIVER_SOUND)) return 0;
        delete audio_;
        audio_ = nullptr;
        if (decoder_->SelectAudioTrack(value) && gAudioFactory)
            audio_ = gAudioFactory(kMovieAudioRate, platform::MovieDecoder::kAudioChannels);
        if (audio_) audio_->SetPlaying(soundOn_ && !held_);
    } else {
        return ERR_INVALID_ARGUMENT;
    }
    return 0;
}

void RegisterEngineMovieDrivers()
{
    for (const char* extension : {".smk", ".webm", ".mkv", ".avi"})
        RegisterMovieDriver(extension, CxLibavMovieDriver::Create, 0);
}
