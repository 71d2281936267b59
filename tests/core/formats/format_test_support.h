// Shared helpers of the vector file tests: stores built from coordinate
// lists, a scratch folder, and whole-file reads.
#pragma once

#include "vector/line_store.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <sstream>
#include <string>
#include <utility>

namespace orvane::test {

using Vertices = std::initializer_list<std::pair<double, double>>;

inline void addLine(CLineStore& store, int id, Vertices vertices)
{
    PointList points;
    for (auto [x, y] : vertices)
        points.append(x, y);
    store.AddLineWithId(id, points);
}

inline std::string slurp(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

inline void spit(const std::filesystem::path& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary) << text;
}

/// "a\nb" with every line end turned into CR LF, for readable expectations.
inline std::string crlf(const std::string& text)
{
    std::string out;
    for (char c : text) {
        if (c == '\n')
            out += '\r';
        out += c;
    }
    return out;
}

/// A fresh folder per test, removed afterwards.
class ScratchDir : public ::testing::Test {
protected:
    void SetUp() override
    {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        dir = std::filesystem::temp_directory_path() /
              (std::string("orvane-") + info->test_suite_name() + "-" + info->name());
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir);
    }
    void TearDown() override { std::filesystem::remove_all(dir); }
    std::size_t fileCount() const
    {
        return std::size_t(std::distance(std::filesystem::directory_iterator(dir), std::filesystem::directory_iterator()));
    }
    std::filesystem::path dir;
};

} // namespace orvane::test
