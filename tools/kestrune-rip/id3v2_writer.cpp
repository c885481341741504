#include "tools/kestrune-rip/id3v2_writer.h"

#include "platform/file_stream.h"

#include <taglib/attachedpictureframe.h>
#include <taglib/commentsframe.h>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>
#include <taglib/textidentificationframe.h>
#include <taglib/uniquefileidentifierframe.h>

#include <array>
#include <cstdio>
#include <fstream>
#include <memory>
#include <span>
#include <stdexcept>
#include <system_error>
#include <vector>

namespace kestrune::rip {

namespace {

TagLib::String Utf8(const std::string& Text) {
    return {Text, TagLib::String::UTF8};
}

void AddText(TagLib::ID3v2::Tag& Tag, const char* Id, const std::string& Text) {
    if (Text.empty()) {
        return;
    }
    auto frame = std::make_unique<TagLib::ID3v2::TextIdentificationFrame>(TagLib::ByteVector(Id),
                                                                          TagLib::String::UTF8);
    frame->setText(Utf8(Text));
    Tag.addFrame(frame.release()); // the tag owns its frames
}

// "n/N", "n", or nothing when n is unknown.
std::string CountedNumber(std::int32_t Number, std::int32_t Count) {
    if (Number <= 0) {
        return {};
    }
    return std::to_string(Number) + (Count > 0 ? "/" + std::to_string(Count) : "");
}

void AddComment(TagLib::ID3v2::Tag& Tag, const std::string& Text) {
    if (Text.empty()) {
        return;
    }
    auto frame = std::make_unique<TagLib::ID3v2::CommentsFrame>(TagLib::String::UTF8);
    frame->setLanguage("eng");
    frame->setText(Utf8(Text));
    Tag.addFrame(frame.release());
}

void AddUserTexts(TagLib::ID3v2::Tag& Tag, const std::string& Description,
                  const std::vector<std::string>& Values) {
    TagLib::StringList list;
    for (const std::string& value : Values) {
        if (!value.empty()) {
            list.append(Utf8(value));
        }
    }
    if (list.isEmpty()) {
        return;
    }
    Tag.addFrame(std::make_unique<TagLib::ID3v2::UserTextIdentificationFrame>(
                     Utf8(Description), list, TagLib::String::UTF8)
                     .release());
}

void AddReplayGain(TagLib::ID3v2::Tag& Tag, const char* Kind,
                   const std::optional<ReplayGain>& Gain) {
    if (!Gain) {
        return;
    }
    std::array<char, 32> text{};
    std::snprintf(text.data(), text.size(), "%.2f dB", Gain->GainDb);
    AddUserTexts(Tag, std::string("REPLAYGAIN_") + Kind + "_GAIN", {text.data()});
    std::snprintf(text.data(), text.size(), "%.6f", Gain->Peak);
    AddUserTexts(Tag, std::string("REPLAYGAIN_") + Kind + "_PEAK", {text.data()});
}

void AddMusicBrainzIds(TagLib::ID3v2::Tag& Tag, const TrackTags& Tags) {
    AddUserTexts(Tag, "MusicBrainz Disc Id", {Tags.MusicBrainzDiscId});
    AddUserTexts(Tag, "MusicBrainz Album Id", {Tags.MusicBrainzReleaseId});
    AddUserTexts(Tag, "MusicBrainz Release Group Id", {Tags.MusicBrainzReleaseGroupId});
    AddUserTexts(Tag, "MusicBrainz Release Track Id", {Tags.MusicBrainzReleaseTrackId});
    AddUserTexts(Tag, "MusicBrainz Artist Id", Tags.MusicBrainzArtistIds);
    AddUserTexts(Tag, "MusicBrainz Album Artist Id", Tags.MusicBrainzAlbumArtistIds);
    // The recording is named by a unique file identifier of the service's own.
    if (!Tags.MusicBrainzRecordingId.empty()) {
        const std::string& id = Tags.MusicBrainzRecordingId;
        Tag.addFrame(std::make_unique<TagLib::ID3v2::UniqueFileIdentifierFrame>(
                         "http://musicbrainz.org",
                         TagLib::ByteVector(id.data(), static_cast<unsigned>(id.size())))
                         .release());
    }
}

void AddFrontCover(TagLib::ID3v2::Tag& Tag, const CoverPicture* Cover) {
    if (Cover == nullptr || Cover->Data.empty()) {
        return;
    }
    auto frame = std::make_unique<TagLib::ID3v2::AttachedPictureFrame>();
    frame->setTextEncoding(TagLib::String::UTF8);
    frame->setMimeType(Utf8(Cover->MimeType));
    frame->setType(TagLib::ID3v2::AttachedPictureFrame::FrontCover);
    frame->setPicture(
        TagLib::ByteVector(Cover->Data.data(), static_cast<unsigned>(Cover->Data.size())));
    Tag.addFrame(frame.release());
}

} // namespace

void WriteId3v2Tag(const std::string& File, const TrackTags& Tags, const std::string& Name) {
    TagLib::MPEG::File file(File.c_str(), false);
    if (!file.isValid()) {
        throw std::runtime_error("Cannot tag file \"" + Name + "\". It cannot be read as MP3.");
    }
    TagLib::ID3v2::Tag& tag = *file.ID3v2Tag(true);
    AddText(tag, "TIT2", Tags.Title);
    AddText(tag, "TPE1", Tags.Artist);
    AddText(tag, "TALB", Tags.Album);
    AddText(tag, "TPE2", Tags.AlbumArtist);
    AddText(tag, "TRCK", CountedNumber(Tags.TrackNumber, Tags.TrackCount));
    AddText(tag, "TPOS", CountedNumber(Tags.DiscNumber, Tags.DiscCount));
    AddText(tag, "TDRC", Tags.Date);
    AddText(tag, "TSRC", Tags.Isrc);
    AddText(tag, "TCON", Tags.Genre);
    AddComment(tag, Tags.Comment);
    AddMusicBrainzIds(tag, Tags);
    AddReplayGain(tag, "TRACK", Tags.TrackGain);
    AddReplayGain(tag, "ALBUM", Tags.AlbumGain);
    AddFrontCover(tag, Tags.FrontCover.get());
    // Only the version 2 tag is written: the encoder's version 1 tag at the
    // end stays as it is.
    if (!file.save(TagLib::MPEG::File::ID3v2, TagLib::File::StripNone, TagLib::ID3v2::v4,
                   TagLib::File::DoNotDuplicate)) {
        throw std::runtime_error("Cannot tag file \"" + Name + "\". It cannot be written.");
    }
}

void AddAlbumGain(const std::string& File, const ReplayGain& Gain) {
    try {
        platform::FileStream copy(File);
        std::ifstream in(File, std::ios::binary);
        std::vector<char> buffer(1 << 16);
        while (in.read(buffer.data(), static_cast<std::streamsize>(buffer.size())) ||
               in.gcount() > 0) {
            copy.Write(
                std::as_bytes(std::span(buffer.data(), static_cast<std::size_t>(in.gcount()))));
        }
        if (in.bad() || copy.PendingFile().empty()) {
            throw std::runtime_error("Cannot tag file \"" + File + "\". It cannot be read.");
        }
        {
            TagLib::MPEG::File file(copy.PendingFile().c_str(), false);
            TagLib::ID3v2::Tag* const tag = file.ID3v2Tag(true);
            for (const char* description : {"REPLAYGAIN_ALBUM_GAIN", "REPLAYGAIN_ALBUM_PEAK"}) {
                if (auto* old =
                        TagLib::ID3v2::UserTextIdentificationFrame::find(tag, description)) {
                    tag->removeFrame(old);
                }
            }
            AddReplayGain(*tag, "ALBUM", Gain);
            if (!file.save(TagLib::MPEG::File::ID3v2, TagLib::File::StripNone, TagLib::ID3v2::v4,
                           TagLib::File::DoNotDuplicate)) {
                throw std::runtime_error("Cannot tag file \"" + File + "\". It cannot be written.");
            }
        }
        copy.Finish();
    } catch (const std::system_error& e) {
        throw std::runtime_error("Cannot tag file \"" + File + "\". " + e.code().message());
    }
}

} // namespace kestrune::rip
