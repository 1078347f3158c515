// Detection of floating-point faults in a computation: division by zero,
// invalid operation (0/0, square root of a negative, ...) and overflow. The
// computation runs normally (no traps); the guard tells afterwards whether any
// of them happened, so that no infinity or NaN reaches a table or a file.
#pragma once

class FpGuard {
public:
    // Remembers and clears the watched flags.
    FpGuard();
    // Raises again the watched flags that were set before construction, so an
    // enclosing guard still sees them.
    ~FpGuard();
    FpGuard(const FpGuard&) = delete;
    FpGuard& operator=(const FpGuard&) = delete;

    // True when a watched fault has happened since construction.
    bool Faulted() const;

private:
    int before_;
};

// All finite (neither infinite nor NaN).
bool AllFinite(const long double* values, int count);
