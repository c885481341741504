#pragma once

// A libFuzzer harness for one kind of disc image: the input is written as an
// image file beside a few data files a sheet may name, then opened, listed
// and read through the library's C interface as a program would.

#include "discread.h"

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace kestrune::fuzz {

inline std::string Folder() {
    static const std::string folder = [] {
        char name[] = "/tmp/kestrune-fuzz-XXXXXX";
        std::string made = ::mkdtemp(name);
        // Files the seeds name: raw sectors, a WAVE file and a cdrdao raw file.
        std::string sectors(10 * 2352, '\0');
        for (std::size_t i = 0; i < sectors.size(); ++i) {
            sectors[i] = static_cast<char>(i * 7);
        }
        std::ofstream(made + "/data.bin", std::ios::binary) << sectors;
        std::ofstream(made + "/data.raw", std::ios::binary) << sectors;
        std::string wave = "RIFF";
        const auto le = [&](std::uint32_t Value, int Bytes) {
            for (int i = 0; i < Bytes; ++i) {
                wave += static_cast<char>((Value >> (8 * i)) & 0xFF);
            }
        };
        le(static_cast<std::uint32_t>(36 + sectors.size()), 4);
        wave += "WAVEfmt ";
        le(16, 4);
        le(1, 2);
        le(2, 2);
        le(44100, 4);
        le(176400, 4);
        le(4, 2);
        le(16, 2);
        wave += "data";
        le(static_cast<std::uint32_t>(sectors.size()), 4);
        std::ofstream(made + "/data.wav", std::ios::binary) << wave << sectors;
        return made;
    }();
    return folder;
}

inline int ReadImage(const std::uint8_t* Data, std::size_t Size, const char* Ending) {
    const std::string path = Folder() + "/image" + Ending;
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(Data), static_cast<std::streamsize>(Size));
    ::setenv("DISCREAD_DISC", path.c_str(), 1);
    DR_Init(nullptr);
    if (DR_ReadToc() == DR_OK) {
        const std::int32_t tracks = DR_GetNumTocEntries();
        std::vector<std::uint8_t> buffer(4 * 2352);
        char text[64];
        for (std::int32_t i = -1; i < tracks; ++i) {
            for (std::int32_t field = DR_TEXT_ISRC; field <= DR_TEXT_SONGWRITER; ++field) {
                DR_GetTrackText(i, field, text, sizeof text);
            }
            if (i < 0) {
                continue;
            }
            const TTocEntry first = DR_GetTocEntry(i);
            const TTocEntry next = DR_GetTocEntry(i + 1);
            // A pregap reaches back from the track's start, never before the disc's.
            const std::int32_t pregap = DR_GetTrackPregap(i);
            if (pregap < 0 || pregap > first.StartSector) {
                __builtin_trap();
            }
            std::int32_t chunk = static_cast<std::int32_t>(buffer.size());
            // The first sectors of each track and the last ones before the next.
            for (const std::int32_t from : {first.StartSector, next.StartSector - 3}) {
                if (from < first.StartSector ||
                    DR_OpenRipper(&chunk, from, std::min(from + 3, next.StartSector)) != DR_OK) {
                    continue;
                }
                std::int32_t bytes = 0;
                std::int32_t abort = 0;
                while (DR_RipChunk(buffer.data(), &bytes, &abort) == DR_OK && bytes > 0) {
                }
                DR_CloseRipper();
            }
        }
    }
    char error[256];
    DR_GetLastErrorText(error, sizeof error);
    DR_DeInit();
    return 0;
}

} // namespace kestrune::fuzz
