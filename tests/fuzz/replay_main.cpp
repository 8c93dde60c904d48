// replay_main.cpp - runs the fuzz target over corpus files without libFuzzer, and writes the seed corpus.
//
//   fuzz_replay DIR|FILE...      run every input once (CI regression run over the corpus)
//   fuzz_replay --write-seeds DIR  write the hand-made seeds, one per scenario of the Octave tests
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "gateway/named_commands.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size);

namespace {

// Encoder of the fuzz input format (see fuzz_calls.cpp).
struct Seed {
    std::vector<uint8_t> bytes;
    explicit Seed(int attached) { bytes.push_back(static_cast<uint8_t>(attached - 1)); }

    static void value(std::vector<uint8_t>& out, double v) {
        if (v == static_cast<int>(v) && v >= 0 && v <= 4) {
            out.push_back(static_cast<uint8_t>(v));
        } else {
            const auto i = static_cast<int32_t>(v);
            out.push_back(32);
            for (int k = 0; k < 4; ++k) out.push_back(static_cast<uint8_t>((static_cast<uint32_t>(i) >> (8 * k)) & 0xFF));
        }
    }
    static std::vector<uint8_t> num(double v) {
        std::vector<uint8_t> out{0};
        value(out, v);
        return out;
    }
    static std::vector<uint8_t> flag(bool v) { return {8, 7, static_cast<uint8_t>(v ? 1 : 0)}; }
    static std::vector<uint8_t> text(const std::string& t) {
        // Built whole rather than appended to a two-byte vector, which GCC 12 misreads as an
        // out-of-bounds copy.
        std::vector<uint8_t> out(2 + t.size());
        out[0] = 9;
        out[1] = static_cast<uint8_t>(t.size());
        std::copy(t.begin(), t.end(), out.begin() + 2);
        return out;
    }
    static std::vector<uint8_t> lut() { return {11, 3, 200, 1, 0}; }     // uint8 ramp of 256
    static std::vector<uint8_t> matrix3() { return {11, 0, 10, 0, 1}; }  // 3x3 doubles
    static std::vector<uint8_t> format() {
        // width, height, offsets, binning, flags, pixelFormat, frameRate
        std::vector<uint8_t> out{14, 0xFF, 0x03, 2};
        for (double v : {64.0, 48.0, 0.0, 0.0, 1.0, 1.0, 0.0, 0.0, 0.0, 30.0}) value(out, v);
        return out;
    }

    Seed& call(int code, std::vector<std::vector<uint8_t>> args) {
        bytes.push_back(0x01);
        bytes.push_back(static_cast<uint8_t>(code + 3));
        bytes.push_back(0);
        for (const auto& a : args) bytes.insert(bytes.end(), a.begin(), a.end());
        return *this;
    }
    // Named command `index` (in qorincam('commands') order) on camera 1 + camera % 4; each input a
    // word of the fuzzer's list (an index, as a negative number -1 - k) or an array.
    Seed& named(int index, int camera, std::vector<std::vector<uint8_t>> inputs) {
        const auto count = static_cast<int>(qorin::namedCommandsEnd() - qorin::namedCommandsBegin());
        int which = 240;
        while (which % count != index) ++which;
        bytes.push_back(0x01);
        bytes.push_back(static_cast<uint8_t>(which));
        bytes.push_back(static_cast<uint8_t>(inputs.size()));
        bytes.push_back(static_cast<uint8_t>(camera - 1));
        for (const auto& input : inputs) {
            if (input.size() == 1 && input[0] >= 0x80) {
                bytes.push_back(static_cast<uint8_t>(2 * (input[0] - 0x80)));
            } else {
                bytes.push_back(1);
                bytes.insert(bytes.end(), input.begin(), input.end());
            }
        }
        return *this;
    }
    static std::vector<uint8_t> word(int k) { return {static_cast<uint8_t>(0x80 + k)}; }
    Seed& raw(std::vector<uint8_t> more) {
        bytes.insert(bytes.end(), more.begin(), more.end());
        return *this;
    }
};

int writeSeeds(const std::string& dir) {
    std::filesystem::create_directories(dir);
    std::vector<std::pair<std::string, Seed>> seeds;
    auto N = Seed::num;
    auto L = Seed::flag;
    seeds.emplace_back("preview_grabs", Seed(1).call(-1, {N(1)}).call(0, {N(1)}).call(7, {N(1)}).call(75, {N(1)})
                                                 .call(76, {N(1)}).call(79, {N(1), N(320), N(240)})
                                                 .call(80, {N(1), N(0), N(0), N(100), N(100)}).call(1, {N(1)})
                                                 .call(-2, {N(1)}));
    seeds.emplace_back("snapshots", Seed(1).call(-1, {N(1)}).call(13, {N(1)}).call(87, {N(1), N(3)})
                                             .call(18, {N(1), L(true)}).call(13, {N(1)}).call(0, {N(1)})
                                             .call(87, {N(1), N(2)}).call(82, {N(1), N(1), N(1), N(0), N(0), N(10), N(10)}));
    seeds.emplace_back("sync", Seed(3).call(-1, {N(3)}).call(-1, {N(1)}).call(-1, {N(2)}).call(32, {})
                                        .call(0, {N(2)}).call(32, {}).call(-2, {N(3)}).call(32, {}));
    seeds.emplace_back("geometry", Seed(1).call(-1, {N(1)}).call(0, {N(1)}).call(2, {N(1), N(320), N(240)})
                                            .call(12, {N(1)}).call(8, {N(1)}).call(9, {N(1), N(4), N(4)})
                                            .call(10, {N(1), L(true)}).call(11, {N(1)}).call(62, {N(1)})
                                            .call(63, {N(1), Seed::format()}).call(3, {N(1), N(15)})
                                            .call(4, {N(1)}).call(33, {N(1)}).call(98, {N(1)}).call(99, {N(1)})
                                            .call(5, {N(1)}).call(95, {N(1)}));
    seeds.emplace_back("properties", Seed(1).call(-1, {N(1)}).call(28, {N(1), N(3)}).call(29, {N(1)})
                                              .call(30, {N(1), N(100)}).call(31, {N(1)}).call(39, {N(1), N(20)})
                                              .call(40, {N(1), N(20), N(100), N(0)}).call(51, {N(1), N(40)})
                                              .call(52, {N(1)}).call(42, {N(1), N(2)}).call(14, {N(1)})
                                              .call(15, {N(1), N(10)}).call(20, {N(1), N(1), N(1), N(1), N(1)})
                                              .call(21, {N(1)}).call(78, {N(1), N(1)}));
    seeds.emplace_back("device", Seed(1).call(-1, {N(1)}).call(34, {N(1)}).call(35, {N(1), N(3)})
                                          .call(81, {N(1), L(true), N(-10)}).call(91, {N(1), L(true), N(1000)})
                                          .call(92, {N(1), N(1)}).call(92, {N(1), N(2)}).call(93, {N(1), N(1)})
                                          .call(96, {N(1), N(0), N(16)}).call(97, {N(1), N(0), Seed::text("hello")})
                                          .call(57, {N(1)}).call(38, {}).call(58, {N(1)}).call(100, {N(1)})
                                          .call(84, {N(1)}).call(85, {N(1), N(0), N(0), N(10), N(10)})
                                          .call(86, {N(1)}).call(88, {N(1), Seed::lut(), N(256)})
                                          .call(89, {N(1), Seed::lut(), N(256), L(true), L(false), L(true), L(false)})
                                          .call(90, {N(1), Seed::matrix3()}).call(-2, {N(1)}));
    seeds.emplace_back("save", Seed(1).call(-1, {N(1)}).call(0, {N(1)}).call(77, {N(1), Seed::text("img.pgm"), L(false)})
                                        .call(77, {N(1), Seed::text("img.raw"), L(true)}));
    seeds.emplace_back("errors", Seed(1).raw({0x01, 0x6A, 0x00}).call(1, {L(true)}).call(3, {N(1)})
                                          .call(87, {N(1), N(0)}).call(-1, {N(0)}).call(-1, {N(9)}).call(-2, {N(1)}));
    // Recordings, video and fast frames, with a file, taken as each kind; a capture failing in
    // the worker.  Words: frames 0, buffer 1, source 5, snapshot 6, file 9, raw 10, mono 11, rgb 12.
    auto W = Seed::word;
    seeds.emplace_back("recording", Seed(2).call(-1, {N(1)}).named(2, 1, {W(0), N(3)}).named(5, 1, {N(2), W(12)})
                                             .named(6, 1, {W(11)}).named(8, 1, {}).named(7, 1, {N(1)})
                                             .call(0, {N(1)}).named(2, 1, {W(5), W(6), W(9), Seed::text("x.tif")})
                                             .named(5, 1, {}).named(3, 1, {}).named(4, 1, {})
                                             .raw({0xC8, 15, 7, 1, 1}).call(-1, {N(2)}).named(2, 2, {W(1), N(2)})
                                             .named(5, 2, {N(1), W(10)}).named(8, 2, {}));
    // Odd geometry then a snapshot; a failing capture in the middle of a preview.
    seeds.emplace_back("odd_format", Seed(1).raw({0xA1, 0, 3, 5, 3, 5, 1, 1, 1}).call(-1, {N(1)}).call(13, {N(1)})
                                              .call(87, {N(1), N(2)}).raw({0xC8, 15, 7, 0, 0}).call(0, {N(1)})
                                              .call(7, {N(1)}));
    // A running preview whose video format then turns odd: pixel formats 2 and 5, odd sizes.
    for (uint8_t pixel : {2, 5, 1}) {
        seeds.emplace_back("odd_pixels_" + std::to_string(pixel),
                           Seed(1).call(-1, {N(1)}).call(0, {N(1)}).raw({0xA1, 0, 5, 6, 3, 1, pixel, 0, 0})
                                  .call(7, {N(1)}).call(75, {N(1)}).call(76, {N(1)})
                                  .call(77, {N(1), Seed::text("odd.pgm"), L(true)}).call(13, {N(1)})
                                  .call(87, {N(1), N(2)}));
    }
    for (const auto& [name, seed] : seeds) {
        std::ofstream out(dir + "/" + name, std::ios::binary);
        out.write(reinterpret_cast<const char*>(seed.bytes.data()), static_cast<std::streamsize>(seed.bytes.size()));
    }
    std::printf("wrote %zu seeds to %s\n", seeds.size(), dir.c_str());
    return 0;
}

int runFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::vector<uint8_t> data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return LLVMFuzzerTestOneInput(data.data(), data.size());
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--write-seeds") == 0) return writeSeeds(argv[2]);
    std::size_t count = 0;
    for (int k = 1; k < argc; ++k) {
        const std::filesystem::path path(argv[k]);
        if (std::filesystem::is_directory(path)) {
            for (const auto& entry : std::filesystem::directory_iterator(path)) {
                if (entry.is_regular_file()) {
                    runFile(entry.path());
                    ++count;
                }
            }
        } else {
            runFile(path);
            ++count;
        }
    }
    std::printf("fuzz replay: %zu inputs, no failure\n", count);
    return 0;
}
