// SPDX-License-Identifier: MIT
// The dependency rule, held to the code: docs/architecture.md's table of
// folders says which folders each may include, and every `#include "…"` of
// every code file must follow it. A folder may include itself and the
// folders below it; a row whose "may include" column names no Qt may
// include no Qt header either. A file in a folder the table does not list,
// or an include of such a folder, fails too: the table must cover the tree.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

struct Row {
    std::vector<std::string> allowed; // folders, with their trailing slash
    bool anything = false;
    bool qt = false;
};

// The table's rows by folder: "| `core/run/` | … | … | `core/arm/`, Qt Core |".
std::map<std::string, Row> ReadTable(const fs::path& doc)
{
    std::ifstream in(doc);
    std::map<std::string, Row> rows;
    const std::regex row(R"(^\| `([a-z/]+/)` \|[^|]*\|[^|]*\| ([^|]+) \|$)");
    const std::regex folder(R"(`([a-z/]+/)`)");
    for (std::string line; std::getline(in, line);) {
        std::smatch m;
        if (!std::regex_match(line, m, row))
            continue;
        Row r;
        const std::string cell = m[2];
        r.anything = cell.find("anything") != std::string::npos;
        r.qt = cell.find("Qt") != std::string::npos || r.anything;
        for (std::sregex_iterator i(cell.begin(), cell.end(), folder), end; i != end; ++i)
            r.allowed.push_back((*i)[1]);
        rows[m[1]] = r;
    }
    return rows;
}

// The longest folder of the table that holds path, or "".
std::string Owner(const std::map<std::string, Row>& rows, const std::string& path)
{
    std::string best;
    for (const auto& [folder, row] : rows)
        if (path.rfind(folder, 0) == 0 && folder.size() > best.size())
            best = folder;
    return best;
}

bool Under(const std::string& path, const std::string& folder)
{
    return path.rfind(folder, 0) == 0;
}

TEST(Dependencies, EveryIncludeFollowsTheTableOfFolders)
{
    const fs::path top = NC_SOURCE_DIR;
    const std::map<std::string, Row> rows = ReadTable(top / "docs" / "architecture.md");
    ASSERT_GE(rows.size(), 20u) << "the table of folders was not found in docs/architecture.md";
    const std::regex include(R"(^\s*#\s*include\s*([<"])([^>"]+)[>"])");
    int files = 0;
    for (const char* root : {"core", "locale", "io", "chart", "ui", "app", "tools"}) {
        for (const fs::directory_entry& e : fs::recursive_directory_iterator(top / root)) {
            const std::string ext = e.path().extension().string();
            if (!e.is_regular_file() || (ext != ".cpp" && ext != ".h"))
                continue;
            const std::string path = fs::relative(e.path(), top).generic_string();
            const std::string owner = Owner(rows, path);
            ASSERT_FALSE(owner.empty()) << path << " lies in a folder the table does not list";
            const Row& row = rows.at(owner);
            ++files;
            std::ifstream in(e.path());
            int n = 0;
            for (std::string line; std::getline(in, line);) {
                ++n;
                std::smatch m;
                if (!std::regex_search(line, m, include))
                    continue;
                const std::string target = m[2];
                const std::string where = path + ":" + std::to_string(n) + " includes " + target;
                if (m[1] == "<") {
                    EXPECT_TRUE(row.qt || target.rfind("Q", 0) != 0) << where << ", but " << owner << " uses no Qt";
                    continue;
                }
                if (target.find('/') == std::string::npos || row.anything)
                    continue;
                const std::string to = Owner(rows, target);
                EXPECT_FALSE(to.empty()) << where << ", a folder the table does not list";
                bool ok = Under(to, owner);
                for (const std::string& a : row.allowed)
                    ok = ok || Under(to, a);
                EXPECT_TRUE(ok) << where << ", which " << owner << " may not include";
            }
        }
    }
    EXPECT_GT(files, 150);
}

} // namespace
