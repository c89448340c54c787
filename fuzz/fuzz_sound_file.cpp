// Any bytes as a sound file: opening either refuses them with a reason, or
// gives a file whose every frame reads, whose seeks land where asked, and
// whose samples come to no more than it said it holds.
#include "fuzz_host.h"

#include <wavein/sound_file.h>

#include <vector>

using namespace wavein;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // The first byte chooses the channel: mixed, or one of the first few.
    const int channel = size > 0 ? int(data[0] % 5) - 1 : ChannelChoice::mixed;
    const std::span<const uint8_t> bytes(data + (size > 0), size - (size > 0));
    SoundFileError error;
    const auto file = SoundFile::openMemory(bytes, QStringLiteral("fuzz.wav"), {channel}, error);
    if (!file) {
        FUZZ_CHECK(!error.reason.isEmpty());
        FUZZ_CHECK(error.message().startsWith(QStringLiteral("fuzz.wav: ")));
        return 0;
    }
    const SoundFileInfo& info = file->info();
    FUZZ_CHECK(info.channels >= 1);
    FUZZ_CHECK(info.rate >= lowestFileRate && info.rate <= highestFileRate);
    FUZZ_CHECK(info.frames > 0);

    // Frame the file as the analyser does, a buffer of 512 at a time, but
    // no further than a few hundred buffers.
    std::vector<int16_t> buffer(512);
    int64_t read = 0;
    for (int i = 0; i < 400; ++i) {
        const size_t got = file->read(buffer.data(), buffer.size());
        FUZZ_CHECK(got <= buffer.size());
        read += int64_t(got);
        FUZZ_CHECK(file->position() == read);
        if (got < buffer.size())
            break;
    }
    FUZZ_CHECK(read <= info.frames);
    const int64_t middle = info.frames / 2;
    if (file->seek(middle))
        FUZZ_CHECK(file->position() == middle);
    file->read(buffer.data(), buffer.size());
    return 0;
}
