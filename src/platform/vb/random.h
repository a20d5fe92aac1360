#pragma once
// VB's Rnd and Randomize over a generator per thread, so that requests on
// different threads neither share nor lock one. Each thread's generator is
// seeded from std::random_device when first used.
namespace vb {

// Uniform in [0, 1).
double Rnd();
// Reseeds this thread's generator from std::random_device.
void Randomize();

}  // namespace vb
