// sim_frames.cpp - frames the simulated cameras deliver (test chart, exposure, noise, cooling), conversions and the PNM writer.
#include "sim/sim_internal.h"

#include "sdk/pixel_format.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>

#if (defined(__GNUC__) || defined(__clang__)) && (defined(__x86_64__) || defined(__i386__))
#  define QORINSIM_NOISE_AVX512 1
#  include <immintrin.h>
#else
#  define QORINSIM_NOISE_AVX512 0
#endif

namespace qorinsim {
namespace {

using Rgb = std::array<uint8_t, 3>;

// Colour bars in the usual broadcast order, at studio levels so that a clipped picture shows.
constexpr std::array<Rgb, 8> kBars = {{{235, 235, 235},
                                       {235, 235, 16},
                                       {16, 235, 235},
                                       {16, 235, 16},
                                       {235, 16, 235},
                                       {235, 16, 16},
                                       {16, 16, 235},
                                       {16, 16, 16}}};
constexpr Rgb kWhite = {255, 255, 255};
constexpr Rgb kBlack = {0, 0, 0};
constexpr Rgb kDark = {40, 40, 40};
constexpr int kCounterBits = 16;

inline uint8_t luma(const Rgb& c) { return static_cast<uint8_t>((77 * c[0] + 150 * c[1] + 29 * c[2]) >> 8); }

inline uint32_t readSample(const uint8_t* source, uint64_t index, bool wide) {
    if (!wide) return source[index];
    return static_cast<uint32_t>(source[2 * index]) | (static_cast<uint32_t>(source[2 * index + 1]) << 8);
}

inline void writeSample(uint8_t* destination, uint64_t index, bool wide, uint32_t value) {
    if (!wide) {
        destination[index] = static_cast<uint8_t>(value);
    } else {
        destination[2 * index] = static_cast<uint8_t>(value & 0xFF);
        destination[2 * index + 1] = static_cast<uint8_t>(value >> 8);
    }
}

}  // namespace

bool captureGeometry(const FrameFormat& format, Geometry& geometry) {
    if (format.xBinSub == 0 || format.yBinSub == 0) return false;
    geometry.columns_ = format.width / format.xBinSub;
    geometry.rows_ = format.height / format.yBinSub;
    geometry.sampleBytes_ = qorin::sensorPixelFormat(format.pixelFormat).sampleBytes;
    return true;
}

Exposure videoExposure(const SimulatedCamera& camera) {
    Exposure exposure;
    auto it = camera.properties_.find(QORIN_PROP_EXPOSURE);
    if (it != camera.properties_.end()) exposure.exposure = it->second.value_;
    it = camera.properties_.find(QORIN_PROP_GAIN);
    if (it != camera.properties_.end()) exposure.gain = it->second.value_;
    return exposure;
}

Exposure snapshotExposure(const SnapshotSettings& settings) { return Exposure{settings.exposure, settings.gain}; }

ChartLight chartLight(const SimulatedCamera& camera, const Exposure& exposure) {
    ChartLight light;
    const double brightness = (static_cast<double>(exposure.exposure) / kReferenceExposure) *
                              (static_cast<double>(exposure.gain) / kReferenceGain);
    // Negative or NaN settings give a dark frame; anything above 256 is white anyway.
    light.brightness = brightness > 0.0 ? std::min(brightness, 256.0) : 0.0;
    // Dark noise doubles every 10 degrees, so a cooled sensor gives a visibly cleaner picture.
    if (camera.noise_ > 0.0)
        light.noise = camera.noise_ * std::exp2((camera.temperature_ - kAmbientTemperature) / 10.0);
    return light;
}

void stepTemperature(SimulatedCamera& camera) {
    double goal = kAmbientTemperature;
    auto cooling = camera.properties_.find(QORIN_PROP_COOLING);
    auto target = camera.properties_.find(QORIN_PROP_TARGET_TEMPERATURE);
    if (cooling != camera.properties_.end() && cooling->second.value_ != 0.0f && target != camera.properties_.end())
        goal = target->second.value_;
    camera.temperature_ += (goal - camera.temperature_) * kTemperatureStep;
}

namespace {

// 3x5 digits, one row of three bits per entry, most significant bit on the left.
constexpr uint8_t kDigits[10][5] = {{7, 5, 5, 5, 7}, {2, 6, 2, 2, 7}, {7, 1, 7, 4, 7}, {7, 1, 7, 1, 7},
                                    {5, 5, 7, 1, 1}, {7, 4, 7, 1, 7}, {7, 4, 7, 5, 7}, {7, 1, 1, 1, 1},
                                    {7, 5, 7, 5, 7}, {7, 5, 7, 1, 7}};
constexpr int kCounterDigits = 6;
constexpr uint64_t kCounterRows = 5;  // of a digit

// splitmix64: a cheap, well-mixed hash, so the noise of a pixel depends only on the frame
// counter and the pixel's position.
inline uint64_t mix(uint64_t x) {
    x += 0x9E3779B97F4A7C15ull;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    return x ^ (x >> 31);
}

#if QORINSIM_NOISE_AVX512
// The noise of eight samples at a time, with the very operations of SampleWriter::noisyLevel
// (no fused multiply-add: none is enabled here), so every sample comes out the same.  Needs
// a finite noise scale; returns how many samples it did, the rest is left to the caller.
__attribute__((target("avx512f,avx512dq"))) uint64_t noisySamplesAvx512(uint64_t first, uint64_t count,
                                                                       uint64_t seed, double scale, double brightness,
                                                                       const uint8_t* values, uint8_t* out, bool wide) {
    const __m512i lanes = _mm512_setr_epi64(0, 1, 2, 3, 4, 5, 6, 7);
    const __m512i seeds = _mm512_set1_epi64(static_cast<long long>(seed));
    const __m512d scales = _mm512_set1_pd(scale);
    const __m512d brightnesses = _mm512_set1_pd(brightness);
    const __m512d top = _mm512_set1_pd(wide ? 65535.0 : 255.0);
    // Masked forms with every lane kept: GCC 12's plain forms pass an undefined register along
    // and warn about it.
    constexpr __mmask8 kAll = 0xFF;
    uint64_t j = 0;
    for (; j + 8 <= count; j += 8) {
        const __m512i index = _mm512_add_epi64(_mm512_set1_epi64(static_cast<long long>(first + j)), lanes);
        __m512i x = _mm512_add_epi64(_mm512_xor_si512(seeds, index),
                                     _mm512_set1_epi64(static_cast<long long>(0x9E3779B97F4A7C15ull)));
        x = _mm512_mullo_epi64(_mm512_xor_si512(x, _mm512_maskz_srli_epi64(kAll, x, 30)),
                               _mm512_set1_epi64(static_cast<long long>(0xBF58476D1CE4E5B9ull)));
        x = _mm512_mullo_epi64(_mm512_xor_si512(x, _mm512_maskz_srli_epi64(kAll, x, 27)),
                               _mm512_set1_epi64(static_cast<long long>(0x94D049BB133111EBull)));
        x = _mm512_xor_si512(x, _mm512_maskz_srli_epi64(kAll, x, 31));
        const __m512i low = _mm512_and_si512(x, _mm512_set1_epi64(0x7FFFFFFF));
        const __m512i high = _mm512_and_si512(_mm512_maskz_srli_epi64(kAll, x, 32), _mm512_set1_epi64(0x7FFFFFFF));
        const __m512i sum = _mm512_sub_epi64(_mm512_add_epi64(low, high), _mm512_set1_epi64(2147483647));
        const __m512d n = _mm512_mul_pd(_mm512_cvtepi64_pd(sum), scales);
        const __m512i v = _mm512_maskz_cvtepu8_epi64(kAll, _mm_loadl_epi64(reinterpret_cast<const __m128i*>(values + j)));
        // v * brightness, as the writer's table holds it.
        __m512d value = _mm512_add_pd(_mm512_mul_pd(_mm512_cvtepi64_pd(v), brightnesses), n);
        if (wide) value = _mm512_mul_pd(value, _mm512_set1_pd(257.0));
        const __m512d clipped = _mm512_maskz_min_pd(kAll, _mm512_maskz_max_pd(kAll, value, _mm512_setzero_pd()), top);
        __m512i whole = _mm512_cvttpd_epi64(clipped);
        const __mmask8 up =
            _mm512_cmp_pd_mask(_mm512_sub_pd(clipped, _mm512_cvtepi64_pd(whole)), _mm512_set1_pd(0.5), _CMP_GE_OQ);
        whole = _mm512_mask_add_epi64(whole, up, whole, _mm512_set1_epi64(1));
        if (wide)
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 2 * j), _mm512_maskz_cvtepi64_epi16(kAll, whole));
        else
            _mm_storel_epi64(reinterpret_cast<__m128i*>(out + j), _mm512_maskz_cvtepi64_epi8(kAll, whole));
    }
    return j;
}

bool hasAvx512() {
    static const bool has = [] {
        __builtin_cpu_init();
        return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512dq");
    }();
    return has;
}
#endif

// Writes chart colours as samples: mosaic or luma, brightness, noise, clipping, depth.
class SampleWriter {
public:
    SampleWriter(const Geometry& geometry, bool colour, uint64_t counter, const ChartLight& light, uint8_t* buffer)
        : columns_(geometry.columns_), wide_(geometry.sampleBytes_ == 2), colour_(colour), buffer_(buffer),
          noiseScale_(light.noise * std::sqrt(6.0) / 2147483648.0), seed_(mix(counter)), brightness_(light.brightness) {
        // Without noise every sample is a table lookup.
        for (int v = 0; v < 256; ++v) {
            const double scaled = v * light.brightness;
            levels_[v] = wide_ ? static_cast<uint16_t>(std::lround(std::min(scaled * 257.0, 65535.0)))
                               : static_cast<uint16_t>(std::lround(std::min(scaled, 255.0)));
            scaled_[v] = scaled;
        }
    }

    bool noisy() const { return noiseScale_ != 0.0; }

    // The chart value of colour c at readout row i, column j.
    uint8_t value(uint64_t i, uint64_t j, const Rgb& c) const {
        // RGGB: red at even row and even column, blue at odd row and odd column.
        return colour_ ? c[(i % 2) + (j % 2)] : luma(c);
    }

    // Samples without noise, from their chart values, in the buffer's layout.
    void levelSpan(const uint8_t* values, uint8_t* samples, uint64_t count) const {
        for (uint64_t j = 0; j < count; ++j) {
            const uint32_t level = levels_[values[j]];
            if (wide_) {
                // Stored little-endian like the camera's words.
                samples[2 * j] = static_cast<uint8_t>(level & 0xFF);
                samples[2 * j + 1] = static_cast<uint8_t>(level >> 8);
            } else {
                samples[j] = static_cast<uint8_t>(level);
            }
        }
    }

    // `count` samples from column j of readout row i, from their chart values, with noise.
    void noisySpan(uint64_t i, uint64_t j, const uint8_t* values, uint64_t count) const {
        if (wide_)
            noisySamples<true>(i * columns_ + j, values, count);
        else
            noisySamples<false>(i * columns_ + j, values, count);
    }

    // The same without noise where there is none.
    void span(uint64_t i, uint64_t j, const uint8_t* values, uint64_t count) const {
        if (noisy())
            noisySpan(i, j, values, count);
        else
            levelSpan(values, buffer_ + (i * columns_ + j) * (wide_ ? 2 : 1), count);
    }

private:
    // Everything in locals: the byte stores could otherwise alias the members, and every sample
    // would read them again.
    template <bool kWide>
    void noisySamples(uint64_t first, const uint8_t* values, uint64_t count) const {
        const uint64_t seed = seed_;
        const double scale = noiseScale_;
        const double* scaled = scaled_.data();
        uint8_t* out = buffer_ + first * (kWide ? 2 : 1);
        uint64_t j = 0;
#if QORINSIM_NOISE_AVX512
        if (std::isfinite(scale) && hasAvx512())
            j = noisySamplesAvx512(first, count, seed, scale, brightness_, values, out, kWide);
#endif
        for (; j < count; ++j) {
            const uint32_t level = noisyLevel<kWide>(seed, scale, scaled, first + j, values[j]);
            if (kWide) {
                out[2 * j] = static_cast<uint8_t>(level & 0xFF);
                out[2 * j + 1] = static_cast<uint8_t>(level >> 8);
            } else {
                out[j] = static_cast<uint8_t>(level);
            }
        }
    }

    template <bool kWide>
    static uint32_t noisyLevel(uint64_t seed, double scale, const double* scaled, uint64_t index, uint8_t v) {
        // Sum of two uniform values: zero mean, the requested standard deviation.
        const uint64_t h = mix(seed ^ index);
        // Summed as integers: the same value the doubles would hold exactly, one conversion fewer.
        const auto sum = static_cast<int64_t>(h & 0x7FFFFFFF) + static_cast<int64_t>((h >> 32) & 0x7FFFFFFF);
        const double n = static_cast<double>(sum - 2147483647) * scale;
        const double value = kWide ? (scaled[v] + n) * 257.0 : scaled[v] + n;
        const double clipped = std::clamp(value, 0.0, kWide ? 65535.0 : 255.0);
        // Rounded half away from zero, as lround does, without its call: clipped - whole is exact.
        if (!(clipped == clipped)) return static_cast<uint32_t>(std::lround(clipped));
        const auto whole = static_cast<uint32_t>(clipped);
        return whole + (clipped - whole >= 0.5 ? 1u : 0u);
    }

    uint64_t columns_;
    bool wide_;
    bool colour_;
    uint8_t* buffer_;
    double noiseScale_;
    uint64_t seed_;
    double brightness_;
    std::array<uint16_t, 256> levels_{};
    std::array<double, 256> scaled_{};
};

// The chart's layout for one frame.  Its rows come in a few kinds (band, where the orientation
// marker crosses the row, the mosaic's phase), and all rows of a kind hold the same samples
// but for the noise, so each kind is drawn once and copied.
class ChartLayout {
public:
    static constexpr int kKinds = 4 * 3 * 2;

    ChartLayout(const Geometry& geometry, bool colour, uint64_t counter)
        : columns_(geometry.columns_), rows_(geometry.rows_), colour_(colour), counter_(counter),
          moverWidth_(std::max<uint64_t>(1, columns_ / 16)),
          moverStart_((counter * std::max<uint64_t>(1, columns_ / 64)) % columns_),
          // Orientation marker: a black square at the top-left corner with a white quarter in
          // its own top-left corner, so a mirrored or flipped picture is obvious.
          marker_(std::max<uint64_t>(1, std::min(rows_, columns_) / 8)),
          markerDot_(std::max<uint64_t>(1, marker_ / 2)) {}

    uint64_t marker() const { return marker_; }

    // A colour sensor is read out bottom row first (the module turns its frames the right
    // way up), so its chart is drawn upside down; the mosaic stays in readout order.
    uint64_t readout(uint64_t sceneRow) const { return colour_ ? rows_ - 1 - sceneRow : sceneRow; }

    int kind(uint64_t sceneRow) const {
        int band = 0;  // colour bars
        if (sceneRow >= rows_ * 5 / 8) band = 1;  // grey ramp
        if (sceneRow >= rows_ * 6 / 8) band = 2;  // the bar that moves with the counter
        if (sceneRow >= rows_ * 7 / 8) band = 3;  // the counter's bits
        // Through the marker: 0 clear of it, 1 through its white corner, 2 below that.
        const int crossing = sceneRow >= marker_ ? 0 : (sceneRow < markerDot_ ? 1 : 2);
        return (band * 3 + crossing) * 2 + static_cast<int>(readout(sceneRow) % 2);
    }

    // The chart values of a row of this kind.
    void values(int kind, const SampleWriter& writer, uint8_t* out) const {
        const int band = kind / 6;
        const int crossing = kind / 2 % 3;
        const uint64_t parity = static_cast<uint64_t>(kind % 2);
        for (uint64_t j = 0; j < columns_; ++j) {
            Rgb c = colourAt(band, j);
            if (crossing != 0 && j < marker_) c = (crossing == 1 && j < markerDot_) ? kWhite : kBlack;
            out[j] = writer.value(parity, j, c);
        }
    }

private:
    Rgb colourAt(int band, uint64_t j) const {
        switch (band) {
            case 0: return kBars[j * kBars.size() / columns_];
            case 1: {
                auto level = static_cast<uint8_t>(columns_ > 1 ? j * 255 / (columns_ - 1) : 128);
                return Rgb{level, level, level};
            }
            case 2: return (j + columns_ - moverStart_) % columns_ < moverWidth_ ? kWhite : kDark;
            default: {
                const uint64_t bit = j * kCounterBits / columns_;  // most significant bit on the left
                return ((counter_ >> (kCounterBits - 1 - bit)) & 1) ? kWhite : kDark;
            }
        }
    }

    uint64_t columns_;
    uint64_t rows_;
    bool colour_;
    uint64_t counter_;
    uint64_t moverWidth_;
    uint64_t moverStart_;
    uint64_t marker_;
    uint64_t markerDot_;
};

// Row kinds of the chart being drawn.  Made afresh for each frame: an object with a destructor
// kept per thread (thread_local) would pin the library, which could then never be unloaded.
struct ChartRows {
    std::vector<uint8_t> values_;   // chart values, a row per kind
    std::vector<uint8_t> samples_;  // samples without noise, a row per kind
};

}  // namespace

void renderChart(const Geometry& geometry, bool colour, uint64_t counter, const ChartLight& light, uint8_t* buffer) {
    const uint64_t columns = geometry.columns_;
    const uint64_t rows = geometry.rows_;
    if (columns == 0 || rows == 0) return;
    SampleWriter writer(geometry, colour, counter, light, buffer);
    const ChartLayout layout(geometry, colour, counter);

    ChartRows scratch;
    const uint64_t rowBytes = columns * geometry.sampleBytes_;
    if (scratch.values_.size() < ChartLayout::kKinds * columns) scratch.values_.resize(ChartLayout::kKinds * columns);
    if (!writer.noisy() && scratch.samples_.size() < ChartLayout::kKinds * rowBytes)
        scratch.samples_.resize(ChartLayout::kKinds * rowBytes);
    std::array<bool, ChartLayout::kKinds> drawn{};
    for (uint64_t i = 0; i < rows; ++i) {
        const int kind = layout.kind(i);
        uint8_t* values = scratch.values_.data() + kind * columns;
        uint8_t* samples = writer.noisy() ? nullptr : scratch.samples_.data() + kind * rowBytes;
        if (!drawn[kind]) {
            layout.values(kind, writer, values);
            if (samples != nullptr) writer.levelSpan(values, samples, columns);
            drawn[kind] = true;
        }
        const uint64_t readout = layout.readout(i);
        if (samples != nullptr)
            std::memcpy(buffer + readout * rowBytes, samples, rowBytes);
        else
            writer.noisySpan(readout, 0, values, columns);
    }

    // The frame number in decimal, white on black at the top right, where it also reads
    // wrongly in a mirrored picture.  Left out where it would not fit beside the marker.
    const uint64_t scale = std::max<uint64_t>(1, std::min(rows, columns) / 80);
    const uint64_t pitch = 4 * scale;  // a digit and its gap
    const uint64_t boxWidth = kCounterDigits * pitch + scale;
    const uint64_t boxHeight = 7 * scale;
    if (boxWidth + layout.marker() + scale > columns || boxHeight + scale > rows * 5 / 8) return;
    const uint64_t left = columns - boxWidth - scale;
    const uint64_t top = scale;
    uint64_t number = counter;
    int digits[kCounterDigits];
    for (int d = kCounterDigits - 1; d >= 0; --d, number /= 10) digits[d] = static_cast<int>(number % 10);
    // Drawn row by row like the rest: the box's row lies within a chart row, so its values and
    // the lit cells of its digit row fit the kinds' scratch.
    uint8_t* box = scratch.values_.data();
    uint8_t* lit = box + boxWidth;
    uint64_t litRow = kCounterRows + 1;
    for (uint64_t y = 0; y < boxHeight; ++y) {
        const uint64_t row = y >= scale && y < 6 * scale ? (y - scale) / scale : kCounterRows;  // none: blank
        if (row != litRow) {
            for (uint64_t x = 0; x < boxWidth; ++x) {
                bool on = false;
                if (row < kCounterRows && x >= scale) {
                    const uint64_t cell = (x - scale) / pitch;
                    const uint64_t column = (x - scale) % pitch / scale;
                    if (column < 3) on = (kDigits[digits[cell]][row] >> (2 - column)) & 1;
                }
                lit[x] = on ? 1 : 0;
            }
            litRow = row;
        }
        const uint64_t readout = layout.readout(top + y);
        for (uint64_t x = 0; x < boxWidth; ++x) box[x] = writer.value(readout, left + x, lit[x] ? kWhite : kBlack);
        writer.span(readout, left, box, boxWidth);
    }
}

bool takeFrame(SimulatedCamera& camera, const FrameFormat& format, const Exposure& exposure, void* buffer,
               uint32_t& error, FramePlan& plan) {
    Geometry geometry;
    if (buffer == nullptr || !captureGeometry(format, geometry)) {
        error = kErrorInvalidArgument;
        return false;
    }
    auto* out = static_cast<uint8_t*>(buffer);
    plan = FramePlan{};
    if (!camera.frames_.empty()) {
        const Frame& frame = camera.frames_[camera.nextFrame_ % camera.frames_.size()];
        if (frame.rows_ != geometry.rows_ || frame.columns_ != geometry.columns_ ||
            frame.sampleBytes_ != geometry.sampleBytes_ || frame.data_.size() != geometry.bytes()) {
            error = kErrorInvalidArgument;
            return false;
        }
        if (!frame.data_.empty()) std::memcpy(out, frame.data_.data(), frame.data_.size());
        camera.nextFrame_ = (camera.nextFrame_ + 1) % camera.frames_.size();
    } else {
        plan.chart_ = true;
        plan.geometry_ = geometry;
        plan.colour_ = isColour(camera);
        plan.counter_ = camera.frameCounter_;
        plan.light_ = chartLight(camera, exposure);
        plan.buffer_ = out;
    }
    ++camera.frameCounter_;
    stepTemperature(camera);
    return true;
}

void drawFrame(const FramePlan& plan) {
    if (plan.chart_) renderChart(plan.geometry_, plan.colour_, plan.counter_, plan.light_, plan.buffer_);
}

bool deliverFrame(SimulatedCamera& camera, const FrameFormat& format, const Exposure& exposure, void* buffer,
                  uint32_t& error) {
    FramePlan plan;
    if (!takeFrame(camera, format, exposure, buffer, error, plan)) return false;
    drawFrame(plan);
    return true;
}

bool convertFrame(Conversion conversion, bool colour, void* destination, const void* source, uint32_t columns,
                  uint32_t rows, uint32_t pixelFormat) {
    if (destination == nullptr || source == nullptr) return false;
    const bool wideIn = qorin::sensorPixelFormat(pixelFormat).wide();
    const bool wideOut = conversion == Conversion::kRgb48 || conversion == Conversion::kGrey16;
    // A 16-bit result needs 16-bit input: the caller sized its buffer from 1-byte samples.
    if (wideOut && !wideIn) return false;
    const bool rgb = conversion == Conversion::kRgb24 || conversion == Conversion::kRgb48;
    const int narrow = wideIn && !wideOut ? 8 : 0;  // 16-bit input into 8-bit output keeps the high byte

    const auto* in = static_cast<const uint8_t*>(source);
    auto* out = static_cast<uint8_t*>(destination);
    const uint64_t cols = columns;
    for (uint64_t i = 0; i < rows; ++i) {
        const uint64_t top = i - i % 2;
        const uint64_t bottom = std::min<uint64_t>(top + 1, rows - 1);
        for (uint64_t j = 0; j < cols; ++j) {
            const uint64_t pixel = i * cols + j;
            uint32_t red, green, blue, grey;
            if (!colour) {
                red = green = blue = grey = readSample(in, pixel, wideIn);
            } else {
                const uint64_t left = j - j % 2;
                const uint64_t right = std::min<uint64_t>(left + 1, cols - 1);
                const uint32_t r = readSample(in, top * cols + left, wideIn);
                const uint32_t g1 = readSample(in, top * cols + right, wideIn);
                const uint32_t g2 = readSample(in, bottom * cols + left, wideIn);
                const uint32_t b = readSample(in, bottom * cols + right, wideIn);
                red = r;
                green = (g1 + g2) / 2;
                blue = b;
                grey = (r + g1 + g2 + b) / 4;
            }
            if (rgb) {
                writeSample(out, 3 * pixel, wideOut, blue >> narrow);
                writeSample(out, 3 * pixel + 1, wideOut, green >> narrow);
                writeSample(out, 3 * pixel + 2, wideOut, red >> narrow);
            } else {
                writeSample(out, pixel, wideOut, grey >> narrow);
            }
        }
    }
    return true;
}

namespace {

// The images QorinSaveImageEx takes: three samples a pixel for the RGB formats, two bytes a
// sample for the 16-bit ones; false for a pixel format it does not save.
bool imageLayout(uint32_t pixelFormat, bool& rgb, bool& wide) {
    const qorin::PixelFormat* saved = qorin::savedPixelFormat(pixelFormat);
    if (saved == nullptr) return false;
    rgb = saved->channels == 3;
    wide = saved->wide();
    return true;
}

}  // namespace

bool imageBytes(uint32_t columns, uint32_t rows, uint32_t pixelFormat, uint64_t& bytes) {
    bool rgb = false;
    bool wide = false;
    if (!imageLayout(pixelFormat, rgb, wide)) return false;
    bytes = uint64_t{columns} * rows * (rgb ? 3 : 1) * (wide ? 2 : 1);
    return true;
}

bool writePnm(const char* fileName, uint32_t columns, uint32_t rows, uint32_t pixelFormat, const void* data,
              uint32_t& error) {
    bool rgb = false;
    bool wide = false;
    if (!imageLayout(pixelFormat, rgb, wide)) {
        error = kErrorInvalidArgument;
        return false;
    }
    if (fileName == nullptr || data == nullptr) {
        error = kErrorInvalidArgument;
        return false;
    }
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(fileName, "wb"), &std::fclose);
    if (!file) {
        error = kErrorFileWrite;
        return false;
    }
    bool good = std::fprintf(file.get(), "%s\n%u %u\n%u\n", rgb ? "P6" : "P5", columns, rows,
                             wide ? 65535u : 255u) > 0;
    const auto* in = static_cast<const uint8_t*>(data);
    const uint64_t channels = rgb ? 3 : 1;
    const uint64_t sampleBytes = wide ? 2 : 1;
    const uint64_t rowBytes = uint64_t{columns} * channels * sampleBytes;
    std::vector<uint8_t> line(rowBytes);
    for (uint64_t i = 0; good && i < rows; ++i) {
        const uint8_t* src = in + i * rowBytes;
        for (uint64_t j = 0; j < columns; ++j) {
            for (uint64_t c = 0; c < channels; ++c) {
                // The SDK's pictures are blue first; PNM wants red first.
                const uint64_t from = (j * channels + (rgb ? 2 - c : c)) * sampleBytes;
                const uint64_t to = (j * channels + c) * sampleBytes;
                if (wide) {
                    line[to] = src[from + 1];  // PNM is big-endian
                    line[to + 1] = src[from];
                } else {
                    line[to] = src[from];
                }
            }
        }
        good = rowBytes == 0 || std::fwrite(line.data(), 1, rowBytes, file.get()) == rowBytes;
    }
    if (std::fclose(file.release()) != 0) good = false;
    if (!good) error = kErrorFileWrite;
    return good;
}

}  // namespace qorinsim
