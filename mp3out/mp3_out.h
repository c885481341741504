#pragma once

#include "mp3out/mp3_types.h"
#include "pipeline/audio_file_out.h"

#include <lame/lame.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace kestrune {

// The sink that encodes its input's PCM into an MP3 file with LAME.
//
// OpenOutput (main thread) creates the output (a temporary file beside the
// target, see platform::FileStream), opens the input and sets the encoder up;
// WriteNextBlock (worker) moves one 16384-byte block through the encoder into
// it; CloseOutput hands the ID3 texts over, flushes, writes the encoder's
// Info/Xing frame over the placeholder at the head of the file, and puts the
// file in place under its name; then it closes the encoder and the input. A run
// that fails (read, encode or write error) drops its temporary file and leaves
// the target as it was; a stopped run finishes a complete, shorter file. The
// file the input reads from is never a target.
//
// Settings take effect at the next OpenOutput.
class TMP3Out : public TAudioFileOut {
public:
    static constexpr std::size_t InputBlockBytes = 16384;
    // The encoder's worst case for a block: 1.25 bytes a sample plus 7200.
    static constexpr std::int32_t OutputBufferBytes = 17440;

    // Raises "lame_enc.dll library could not be loaded."
    explicit TMP3Out(TComponent* AOwner = nullptr);
    ~TMP3Out() override;

    TMP3BitRate BitRate() const { return FBitRate; }
    void SetBitRate(TMP3BitRate Value) { FBitRate = Value; }
    TMP3Quality Quality() const { return FQuality; }
    void SetQuality(TMP3Quality Value) { FQuality = Value; }
    TMP3SampleRate SampleRate() const { return FSampleRate; }
    void SetSampleRate(TMP3SampleRate Value) { FSampleRate = Value; }
    TMP3Mode Mode() const { return FMode; }
    void SetMode(TMP3Mode Value) { FMode = Value; }
    bool CRC() const { return FCRC; }
    void SetCRC(bool Value) { FCRC = Value; }
    bool Copyright() const { return FCopyright; }
    void SetCopyright(bool Value) { FCopyright = Value; }
    bool Original() const { return FOriginal; }
    void SetOriginal(bool Value) { FOriginal = Value; }
    bool WriteVBRHeader() const { return FWriteVBRHeader; }
    void SetWriteVBRHeader(bool Value) { FWriteVBRHeader = Value; }
    bool EnableVBR() const { return FEnableVBR; }
    void SetEnableVBR(bool Value) { FEnableVBR = Value; }
    TMP3Quality VBRQuality() const { return FVBRQuality; }
    void SetVBRQuality(TMP3Quality Value) { FVBRQuality = Value; }
    std::int32_t VBRMinBitrate() const { return FVBRMinBitrate; }
    void SetVBRMinBitrate(std::int32_t Value) { FVBRMinBitrate = Value; }
    std::int32_t VBRMaxBitrate() const { return FVBRMaxBitrate; }
    void SetVBRMaxBitrate(std::int32_t Value) { FVBRMaxBitrate = Value; }

    const std::string& Id3TagTitle() const { return FId3TagTitle; }
    void SetId3TagTitle(std::string Value) { FId3TagTitle = std::move(Value); }
    const std::string& Id3TagArtist() const { return FId3TagArtist; }
    void SetId3TagArtist(std::string Value) { FId3TagArtist = std::move(Value); }
    const std::string& Id3TagAlbum() const { return FId3TagAlbum; }
    void SetId3TagAlbum(std::string Value) { FId3TagAlbum = std::move(Value); }
    const std::string& Id3TagYear() const { return FId3TagYear; }
    void SetId3TagYear(std::string Value) { FId3TagYear = std::move(Value); }
    const std::string& Id3TagTrack() const { return FId3TagTrack; }
    void SetId3TagTrack(std::string Value) { FId3TagTrack = std::move(Value); }
    const std::string& Id3TagComment() const { return FId3TagComment; }
    void SetId3TagComment(std::string Value) { FId3TagComment = std::move(Value); }
    const std::string& Id3TagGenre() const { return FId3TagGenre; }
    void SetId3TagGenre(std::string Value) { FId3TagGenre = std::move(Value); }
    // Called on the worker with the name of the finished temporary file right
    // before it is put in place (not for standard output, or a pipe or device
    // written directly): a step that adds to the file, such as more tags, so
    // that the file appears whole with them. What it raises fails the run with
    // its message, and the target stays as it was.
    using TBeforePlacing = std::function<void(const std::string& File)>;
    void SetOnBeforePlacing(TBeforePlacing Value) { FBeforePlacing = std::move(Value); }

protected:
    void OpenOutput() override;
    bool WriteNextBlock() override;
    void CloseOutput() override;

private:
    // Holds the encoder library for this sink's lifetime.
    class LibraryUse {
    public:
        LibraryUse();
        ~LibraryUse();
        LibraryUse(const LibraryUse&) = delete;
        LibraryUse& operator=(const LibraryUse&) = delete;
        LibraryUse(LibraryUse&&) = delete;
        LibraryUse& operator=(LibraryUse&&) = delete;
        bool Held() const { return FHeld; }

    private:
        bool FHeld;
    };

    void SetUpEncoder();
    void WriteToStream(const unsigned char* Data, std::int32_t Count);
    // Finishes the MP3: tag, flush, Info/Xing frame. Raises on failure.
    void FinishEncoding();
    // Releases everything the run holds; an output not finished is abandoned.
    void ReleaseRun() noexcept;

    LibraryUse FLibrary;
    // Read as the encoder reads it: signed 16-bit samples, aligned for them.
    static_assert(sizeof(short) == 2);
    std::array<short, InputBlockBytes / sizeof(short)> FInputBlock{};
    TMP3BitRate FBitRate = TMP3BitRate::br128;
    lame_t FEncoderHandle = nullptr;
    std::vector<unsigned char> FOutputBuffer;
    std::int32_t FOutputBufferSize = 0;
    std::string FId3TagTitle;
    std::string FId3TagArtist;
    std::string FId3TagAlbum;
    std::string FId3TagYear;
    std::string FId3TagTrack;
    std::string FId3TagComment;
    std::string FId3TagGenre;
    TBeforePlacing FBeforePlacing;
    bool FCopyright = false;
    bool FOriginal = true;
    bool FEnableVBR = false;
    bool FWriteVBRHeader = false;
    bool FCRC = false;
    TMP3Quality FVBRQuality = TMP3Quality::ql5;
    std::int32_t FVBRMinBitrate = 128;
    std::int32_t FVBRMaxBitrate = 192;
    TMP3Quality FQuality = TMP3Quality::ql5;
    TMP3Mode FMode = TMP3Mode::STEREO;
    TMP3SampleRate FSampleRate = TMP3SampleRate::srDefault;
};

} // namespace kestrune
