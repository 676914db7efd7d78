// entries.h -- the fuzzed entry points. Each takes one input and drives the
// built modules through the stand-in host; a broken property aborts the
// process (with a message on stderr) so that libFuzzer keeps the input. The
// same functions run the stored regression inputs in the normal test suite.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace lentara_fuzz {

// Scene blocks: the input becomes a block loaded into a camera type (text or
// binary mode); what the camera then saves must load into a fresh instance
// and save again byte for byte the same.
void SceneBlock(const std::uint8_t *data, std::size_t size);

// Evaluation: random parameter values and settings, then random film points,
// lens positions and fractions; a ray reported as written must be finite,
// and the same samples on another thread in reverse order give the same rays.
void Evaluate(const std::uint8_t *data, std::size_t size);

// Panels: random ids and values through the panel get/set functions and the
// popup callbacks of every control.
void Panels(const std::uint8_t *data, std::size_t size);

// Composite cameras: scene cameras added, removed and reordered between
// picks, render initialisations and evaluations.
void Composite(const std::uint8_t *data, std::size_t size);

// Runs the named entry ("scene_block", "evaluate", "panels", "composite");
// false for an unknown name.
bool Run(const std::string &target, const std::uint8_t *data, std::size_t size);

}  // namespace lentara_fuzz
