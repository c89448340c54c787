#include "decode_ahead.h"

#include <algorithm>
#include <cstring>

namespace vellarin {

DecodeAhead::DecodeAhead(wavein::SoundFile& file, size_t blockSamples, size_t blocks)
    : m_file(file), m_blocks(std::max<size_t>(blocks, 1))
{
    for (Block& block : m_blocks)
        block.samples.resize(std::max<size_t>(blockSamples, 1));
    m_thread = std::thread([this] { decode(); });
}

DecodeAhead::~DecodeAhead()
{
    {
        const std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_changed.notify_all();
    m_thread.join();
}

void DecodeAhead::decode()
{
    for (;;) {
        Block* block = nullptr;
        {
            std::unique_lock lock(m_mutex);
            m_changed.wait(lock, [this] { return m_stop || m_decoded - m_taken < m_blocks.size(); });
            if (m_stop)
                return;
            block = &m_blocks[m_decoded % m_blocks.size()];
        }
        // The reader is not in this block until it is handed over.
        block->size = m_file.read(block->samples.data(), block->samples.size());
        const bool last = block->size < block->samples.size();
        {
            const std::lock_guard lock(m_mutex);
            ++m_decoded;
            m_ended = last;
        }
        m_changed.notify_all();
        if (last)
            return;
    }
}

size_t DecodeAhead::read(int16_t* out, size_t count)
{
    size_t done = 0;
    while (done < count) {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [this] { return m_taken < m_decoded || m_ended; });
        if (m_taken == m_decoded)
            break;  // the end, all of it read
        const Block& block = m_blocks[m_taken % m_blocks.size()];
        lock.unlock();
        // The decoder leaves this block alone until the reader lets it go.
        const size_t n = std::min(count - done, block.size - m_readAt);
        std::memcpy(out + done, block.samples.data() + m_readAt, n * sizeof(int16_t));
        done += n;
        m_readAt += n;
        if (m_readAt == block.size) {
            m_readAt = 0;
            lock.lock();
            ++m_taken;
            lock.unlock();
            m_changed.notify_all();
        }
    }
    return done;
}

}  // namespace vellarin
