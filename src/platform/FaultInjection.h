#pragma once
// Internal to the platform layer: the write-type calls ask here whether a test wants them to
// fail. FileSystem::FailNthWriteForTests and FailNextCloseForTests arm them.

namespace FileSystem::Faults {
// Counts one write-type call; returns the error number it must fail with, or 0 to go ahead.
int TakeWriteFault();
// True while a test has armed a fault that has not fired yet.
bool Armed();
// The error the next checked close of a written file must report (the data never arrived), or 0.
int TakeCloseFault();
}  // namespace FileSystem::Faults
