#pragma once
// A sound file decoded on a thread of its own, a few blocks ahead of its one
// reader. Decoding is most of a whole-file render's work; with it on one
// core, the transforms run on the other and mostly wait for it.
#include <wavein/sound_file.h>

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

namespace vellarin {

class DecodeAhead {
public:
    static constexpr size_t defaultBlockSamples = 65536;
    static constexpr size_t defaultBlocks = 4;

    // Starts decoding `file` from where it stands. The file is the decoding
    // thread's until this is destroyed.
    explicit DecodeAhead(wavein::SoundFile& file, size_t blockSamples = defaultBlockSamples,
                         size_t blocks = defaultBlocks);
    // Stops the decoding wherever it is.
    ~DecodeAhead();
    DecodeAhead(const DecodeAhead&) = delete;
    DecodeAhead& operator=(const DecodeAhead&) = delete;

    // As the file's own read: up to `count` samples in order, fewer only at
    // the end. Waits while the decoding is behind.
    size_t read(int16_t* out, size_t count);

private:
    struct Block {
        std::vector<int16_t> samples;
        size_t size = 0;  // decoded into it; short only in the last block
    };

    void decode();

    wavein::SoundFile& m_file;
    std::vector<Block> m_blocks;  // a ring: block i lives at i % size
    std::mutex m_mutex;
    std::condition_variable m_changed;
    uint64_t m_decoded = 0;  // blocks handed over so far
    uint64_t m_taken = 0;    // blocks the reader is done with
    bool m_ended = false;    // no block follows the ones handed over
    bool m_stop = false;
    size_t m_readAt = 0;     // the reader's place in block m_taken
    std::thread m_thread;    // last, so it starts on a finished object
};

}  // namespace vellarin
