// The memory the jobs of a run may take at once: a job that does not fit
// beside the running ones waits for them, and one that does not fit at all
// is refused before it allocates anything.
#pragma once

#include "cli/cli_options.h"

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>

namespace orvane::cli {

class MemoryBudget {
public:
    /// `available` bytes in all; see Available().
    explicit MemoryBudget(std::uint64_t available) : m_available(available) {}

    /// The memory the system can give without swapping (MemAvailable), or
    /// the largest number when it cannot tell.
    static std::uint64_t Available();

    /// Takes `bytes` from the budget, waiting while other jobs hold what is
    /// missing. False, at once, when the bytes exceed the whole budget.
    bool Reserve(std::uint64_t bytes);
    void Release(std::uint64_t bytes);
    std::uint64_t Total() const { return m_available; }

private:
    std::uint64_t m_available;
    std::uint64_t m_reserved = 0;
    std::mutex m_lock;
    std::condition_variable m_freed;
};

/// Holds a reservation for the length of a job.
class Reservation {
public:
    Reservation(MemoryBudget& budget, std::uint64_t bytes) : m_budget(budget), m_granted(budget.Reserve(bytes))
    {
        m_bytes = m_granted ? bytes : 0;
    }
    ~Reservation() { m_budget.Release(m_bytes); }
    Reservation(const Reservation&) = delete;
    Reservation& operator=(const Reservation&) = delete;
    bool Granted() const { return m_granted; }

private:
    MemoryBudget& m_budget;
    bool m_granted;
    std::uint64_t m_bytes = 0;
};

/// Roughly the most memory one job takes at any moment: the image, the
/// working grids of its step and the lines it traces.
std::uint64_t EstimateJobBytes(int width, int height, int bitsPerPixel, Command command,
                               bool cleanTopology = false);

/// "4.6 GB", "820 MB".
std::string ReadableBytes(std::uint64_t bytes);

} // namespace orvane::cli
