// The floor of a whole-file render: decoding the file with libsndfile to
// 16-bit samples and nothing else. Prints the seconds it took.
#include <sndfile.h>

#include <chrono>
#include <cstdio>
#include <vector>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: decode_floor FILE\n");
        return 2;
    }
    const auto start = std::chrono::steady_clock::now();
    SF_INFO info{};
    SNDFILE* file = sf_open(argv[1], SFM_READ, &info);
    if (!file) {
        std::fprintf(stderr, "%s: %s\n", argv[1], sf_strerror(nullptr));
        return 1;
    }
    std::vector<short> chunk(4096 * size_t(info.channels));
    long long frames = 0, sum = 0;
    for (sf_count_t got; (got = sf_readf_short(file, chunk.data(), 4096)) > 0;) {
        frames += got;
        sum += chunk[0];  // keeps the reads from being optimised away
    }
    sf_close(file);
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    std::printf("%.3f\n", took.count());
    std::fprintf(stderr, "decoded %lld frames (%lld)\n", frames, sum);
    return 0;
}
