#include "mp3out/mp3_out.h"

#include "mp3out/lame_binding.h"
#include "pipeline/audio_exception.h"
#include "platform/file_stream.h"

#include <system_error>

namespace kestrune {

TMP3Out::LibraryUse::LibraryUse() {
    LoadEncoderLibrary();
    FHeld = EncoderLibraryLoaded();
}

TMP3Out::LibraryUse::~LibraryUse() {
    if (FHeld) {
        UnloadEncoderLibrary();
    }
}

TMP3Out::TMP3Out(TComponent* AOwner) : TAudioFileOut(AOwner) {
    if (!FLibrary.Held()) {
        throw EAudioException("lame_enc.dll library could not be loaded.");
    }
}

TMP3Out::~TMP3Out() {
    // The worker ends before the encoder library can go: it may be encoding.
    EndWorker();
    ReleaseRun();
}

void TMP3Out::OpenOutput() {
    if (FileName().empty()) {
        throw EAudioException("File name is not assigned.");
    }
    // Replacing the disc image being read would destroy the user's only copy of
    // it, and the rip would still report success.
    if (!ToStandardOutput() && Input()->ReadsFile(FileName())) {
        throw EAudioException("Cannot create file \"" + FileName() +
                              "\". It is a file of the disc being read.");
    }
    try {
        Stream = ToStandardOutput() ? std::make_unique<platform::FileStream>(
                                          platform::FileStream::ToStandardOutput, FileName())
                                    : std::make_unique<platform::FileStream>(FileName());
    } catch (const std::system_error& e) {
        throw EAudioException("Cannot create file \"" + FileName() + "\". " + e.code().message());
    }
    bool inputOpen = false;
    try {
        Input()->OpenSource();
        inputOpen = true;
        SetUpEncoder();
    } catch (...) {
        // Nothing of a start that failed stays behind: not the encoder, not an
        // open input, not the temporary file.
        ReleaseRun();
        if (inputOpen) {
            Input()->CloseQuietly();
        }
        throw;
    }
}

void TMP3Out::SetUpEncoder() {
    const TLameCalls& lame = Lame();
    FEncoderHandle = lame.lame_init();
    if (FEncoderHandle == nullptr) {
        throw EAudioException("The MP3 encoder could not be started.");
    }
    TAudioInput& input = *Input();
    if (input.Size() > 0) {
        const std::int32_t frameBytes = (input.GetBitsPerSample() / 8) * input.GetChannels();
        if (frameBytes > 0) {
            lame.lame_set_num_samples(FEncoderHandle,
                                      static_cast<unsigned long>(input.Size() / frameBytes));
        }
    }
    lame.lame_set_in_samplerate(FEncoderHandle, input.GetSampleRate());
    lame.lame_set_num_channels(FEncoderHandle, 2);
    lame.lame_set_out_samplerate(FEncoderHandle, Hertz(FSampleRate));
    lame.lame_set_mode(FEncoderHandle, static_cast<MPEG_mode>(FMode));
    lame.lame_set_copyright(FEncoderHandle, FCopyright ? 1 : 0);
    lame.lame_set_original(FEncoderHandle, FOriginal ? 1 : 0);
    lame.lame_set_error_protection(FEncoderHandle, FCRC ? 1 : 0);
    if (!FEnableVBR) {
        lame.lame_set_brate(FEncoderHandle, Kbps(FBitRate));
        lame.lame_set_quality(FEncoderHandle, Digit(FQuality));
    } else {
        if (FWriteVBRHeader) {
            lame.lame_set_bWriteVbrTag(FEncoderHandle, 1);
        }
        lame.lame_set_VBR(FEncoderHandle, vbr_rh);
        lame.lame_set_VBR_q(FEncoderHandle, Digit(FVBRQuality));
        if (FVBRMaxBitrate < FVBRMinBitrate) {
            std::swap(FVBRMinBitrate, FVBRMaxBitrate);
        }
        lame.lame_set_VBR_min_bitrate_kbps(FEncoderHandle, FVBRMinBitrate);
        lame.lame_set_VBR_max_bitrate_kbps(FEncoderHandle, FVBRMaxBitrate);
    }
    if (const int result = lame.lame_init_params(FEncoderHandle); result < 0) {
        throw EAudioException("The MP3 encoder does not accept these settings (error " +
                              std::to_string(result) + ").");
    }
    FOutputBufferSize = OutputBufferBytes;
    FOutputBuffer.assign(static_cast<std::size_t>(FOutputBufferSize), 0);
}

bool TMP3Out::WriteNextBlock() {
    const std::int32_t count = ReadInput(std::as_writable_bytes(std::span(FInputBlock)));
    if (count == 0) {
        return false;
    }
    // The block holds signed 16-bit samples whatever the input calls itself.
    short* const samples = FInputBlock.data();
    const TLameCalls& lame = Lame();
    const int encoded =
        Input() != nullptr && Input()->GetChannels() == 2
            ? lame.lame_encode_buffer_interleaved(FEncoderHandle, samples, count / 4,
                                                  FOutputBuffer.data(), FOutputBufferSize)
            : lame.lame_encode_buffer(FEncoderHandle, samples, samples, count / 2,
                                      FOutputBuffer.data(), FOutputBufferSize);
    if (encoded < 0) {
        throw EAudioException("The MP3 encoder failed (error " + std::to_string(encoded) + ").");
    }
    WriteToStream(FOutputBuffer.data(), encoded);
    return true;
}

void TMP3Out::WriteToStream(const unsigned char* Data, std::int32_t Count) {
    if (Count <= 0) {
        return;
    }
    try {
        Stream->Write(std::as_bytes(std::span(Data, static_cast<std::size_t>(Count))));
    } catch (const std::system_error& e) {
        throw EAudioException("Cannot write to file \"" + FileName() + "\". " + e.code().message());
    }
}

void TMP3Out::CloseOutput() {
    // After a failure there is nothing worth finishing: the output is abandoned.
    std::exception_ptr error;
    if (!RunFailed() && FEncoderHandle != nullptr && Stream) {
        try {
            FinishEncoding();
        } catch (...) {
            error = std::current_exception();
        }
    }
    ReleaseRun();
    CloseInput();
    if (error) {
        std::rethrow_exception(error);
    }
}

void TMP3Out::FinishEncoding() {
    const TLameCalls& lame = Lame();
    lame.id3tag_init(FEncoderHandle);
    lame.id3tag_set_title(FEncoderHandle, FId3TagTitle.c_str());
    lame.id3tag_set_artist(FEncoderHandle, FId3TagArtist.c_str());
    lame.id3tag_set_album(FEncoderHandle, FId3TagAlbum.c_str());
    lame.id3tag_set_year(FEncoderHandle, FId3TagYear.c_str());
    lame.id3tag_set_track(FEncoderHandle, FId3TagTrack.c_str());
    lame.id3tag_set_comment(FEncoderHandle, FId3TagComment.c_str());
    lame.id3tag_set_genre(FEncoderHandle, FId3TagGenre.c_str());
    const int flushed =
        lame.lame_encode_flush(FEncoderHandle, FOutputBuffer.data(), FOutputBufferSize);
    if (flushed < 0) {
        throw EAudioException("The MP3 encoder failed to finish the file (error " +
                              std::to_string(flushed) + ").");
    }
    WriteToStream(FOutputBuffer.data(), flushed);

    try {
        // The encoder left a placeholder frame at the head of the file; its real
        // Info/Xing frame, known only now, gives players the exact length. A pipe
        // cannot be rewritten and keeps the placeholder.
        if (Stream->CanRewrite()) {
            const std::size_t frame = lame.lame_get_lametag_frame(
                FEncoderHandle, FOutputBuffer.data(), FOutputBuffer.size());
            if (frame > 0 && frame <= FOutputBuffer.size()) {
                Stream->WriteAt(0, std::as_bytes(std::span(FOutputBuffer.data(), frame)));
            }
        }
        const std::string pending = Stream->PendingFile();
        if (FBeforePlacing && !pending.empty()) {
            FBeforePlacing(pending);
        }
        // Only now does the file appear under its name, whole.
        Stream->Finish();
    } catch (const std::system_error& e) {
        throw EAudioException("Cannot write to file \"" + FileName() + "\". " + e.code().message());
    } catch (const EAudioException&) {
        throw;
    } catch (const std::exception& e) {
        throw EAudioException(e.what());
    }
}

void TMP3Out::ReleaseRun() noexcept {
    if (FEncoderHandle != nullptr) {
        Lame().lame_close(FEncoderHandle);
        FEncoderHandle = nullptr;
    }
    FOutputBuffer = {};
    FOutputBufferSize = 0;
    // A stream that was not finished is abandoned: its temporary file goes and
    // whatever the user had under that name stays.
    Stream.reset();
}

} // namespace kestrune
