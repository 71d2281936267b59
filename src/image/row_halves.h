// Row work shared between two threads.
#pragma once

#include <exception>
#include <thread>

namespace orvane {

/// Calls work(y) for every row y from `first` to `last`: the lower half of
/// the rows on a second thread where the machine has a second core and
/// there are enough rows, the rest on this one. `work` must touch only its
/// own row's data. Should no thread be had, this one does every row.
template <class Work>
void ForEachRowInTwoHalves(int first, int last, const Work& work)
{
    int split = last + 1; // the second thread's first row
    std::thread worker;
    if (std::thread::hardware_concurrency() > 1 && last - first >= 64) {
        try {
            const int lower = first + (last - first + 1) / 2;
            worker = std::thread([&work, lower, last] {
                for (int y = lower; y <= last; ++y)
                    work(y);
            });
            split = lower;
        } catch (const std::exception&) {
            split = last + 1;
        }
    }
    for (int y = first; y < split; ++y)
        work(y);
    if (worker.joinable())
        worker.join();
}

} // namespace orvane
