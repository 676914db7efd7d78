// entries.h -- the fuzzed entry points. Each takes one input and drives the
// built modules through the stand-in host; a broken property aborts the
// process (with a message on stderr) so that libFuzzer keeps the input. The
// same functions run the stored regression inputs in the normal test suite.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

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

// Scene files of the `lentara` tool: the input is JSON text, optionally
// followed by a --size, a --frames and a --set value (NAME=VALUE, for the
// first typed camera), each after a NUL. The text gives a scene or an input
// error, never anything else; a scene saves and reads back to the same text
// and goes into the host (with the --set value) or names what does not fit.
void SceneFile(const std::uint8_t *data, std::size_t size);

// Reports a broken property on stderr and aborts, so that libFuzzer keeps
// the input.
[[noreturn]] void Fail(const char *fmt, ...);

// The module files the targets load, in load order.
const std::vector<const char *> &ModulePaths();

// Runs the named entry ("scene_block", "evaluate", "panels", "composite",
// "scene_file" where the tool is built); false for an unknown name.
bool Run(const std::string &target, const std::uint8_t *data, std::size_t size);

}  // namespace lentara_fuzz
