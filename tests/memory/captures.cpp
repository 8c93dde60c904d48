// captures.cpp - set-up and call of the measured captures: explicit frames, colour or monochrome, 8 or 16 bits.
#include "tests/memory/captures.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <utility>

#include "sim/sim_control.h"

namespace captures {

std::string Capture::label() const {
    std::string text = std::to_string(code);
    if (code == 87) text += " N=" + std::to_string(frames);
    if (code == 32) text += " cameras=" + std::to_string(cameras);
    return text + (colour ? " colour" : " mono") + (wide ? " 16-bit" : " 8-bit");
}

std::vector<Capture> all() {
    std::vector<Capture> list;
    for (bool colour : {true, false}) {
        for (bool wide : {false, true}) {
            list.push_back({7, 1, 1, wide, colour});
            list.push_back({13, 1, 1, wide, colour});
            for (int n : {1, 8, 40}) list.push_back({87, n, 1, wide, colour});
            for (int cameras : {2, 5}) list.push_back({32, 1, cameras, wide, colour});
        }
    }
    return list;
}

namespace {

void setUpCall(const Capture& c, int code, std::vector<mxArray*> params) {
    harness::Outcome o = harness::run(code, std::move(params));
    if (o.ok) return;
    std::fprintf(stderr, "set-up of %s: code %d raised %s\n", c.label().c_str(), code, harness::show(o.message).c_str());
    std::exit(2);
}

}  // namespace

void prepare(const Capture& c, std::size_t columns, std::size_t rows) {
    harness::resetAll(c.cameras);
    const std::uint32_t sampleBytes = c.wide ? 2 : 1;
    for (int n = 1; n <= c.cameras; ++n) {
        qorinsim::SimulatedCamera* camera = qorinsim::camera(n);
        camera->format_.width = static_cast<std::uint32_t>(columns);
        camera->format_.height = static_cast<std::uint32_t>(rows);
        camera->properties_[QORIN_PROP_MAX_WIDTH].value_ = static_cast<float>(columns);
        camera->properties_[QORIN_PROP_MAX_HEIGHT].value_ = static_cast<float>(rows);
        camera->properties_[QORIN_PROP_COLOUR_FORMAT].value_ = c.colour ? 1.0f : 0.0f;
        qorinsim::Frame frame;
        frame.rows_ = static_cast<std::uint32_t>(rows);
        frame.columns_ = static_cast<std::uint32_t>(columns);
        frame.sampleBytes_ = sampleBytes;
        frame.data_.resize(rows * columns * sampleBytes);
        for (std::size_t k = 0; k < frame.data_.size(); ++k)
            frame.data_[k] = static_cast<std::uint8_t>((k * 2654435761u) >> 11);
        camera->frames_ = {std::move(frame)};
        setUpCall(c, -1, {harness::num(n)});
        setUpCall(c, 18, {harness::num(n), harness::flag(c.wide)});
        if (c.code == 7) {  // a grab takes the current frame of a running preview
            setUpCall(c, 10, {harness::num(n), harness::flag(c.wide)});
            setUpCall(c, 0, {harness::num(n)});
        }
    }
    qorinsim::clearCalls();
}

harness::Outcome take(const Capture& c) {
    switch (c.code) {
        case 87: return harness::run(87, {harness::num(1), harness::num(c.frames)});
        case 32: return harness::run(32, {});
        default: return harness::run(c.code, {harness::num(1)});
    }
}

std::size_t rawBytes(const Capture& c, std::size_t columns, std::size_t rows) {
    return columns * rows * (c.wide ? 2 : 1);
}

std::size_t resultBytes(const Capture& c, std::size_t columns, std::size_t rows) {
    return rawBytes(c, columns, rows) * 3 * static_cast<std::size_t>(c.code == 32 ? c.cameras : c.frames);
}

}  // namespace captures
