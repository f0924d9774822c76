#pragma once
// What xlrd, an independent reader, finds in a workbook file (see xls_check.py).

#include <cstdio>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include <sys/wait.h>

namespace vantile::office::excel::readback {

struct ReadCell {
    std::string type;  // "text" or "number"
    bool wrap = false;
    std::string value;  // the text (UTF-8), or the number as Python prints it
};

struct ReadSheet {
    std::string name;
    bool selected = false;
    bool active = false;
    int rows = 0;
    int columns = 0;
    std::map<std::pair<int, int>, ReadCell> cells;  // zero-based
    std::map<int, int> widths;                      // COLINFO units
    std::map<int, int> heights;                     // twips, rows with another height than the default
};

struct ReadBook {
    std::string skipped;  // why the reader could not run
    std::string error;    // the reader's complaint
    std::vector<ReadSheet> sheets;
};

inline std::string unhex(const std::string& hex) {
    std::string out;
    if (hex == "-")
        return out;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
        out.push_back(static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16)));
    }
    return out;
}

inline ReadBook ReadWithXlrd(const std::filesystem::path& file) {
    ReadBook book;
    if (!std::filesystem::exists("/usr/bin/python3")) {
        book.skipped = "/usr/bin/python3 is missing";
        return book;
    }
    const std::string command = "/usr/bin/python3 '" VANTILE_SOURCE_DIR
                                "/tests/office/excel/xls_check.py' xls '" +
                                file.string() + "' 2>&1";
    std::string output;
    FILE* pipe = popen(command.c_str(), "r");
    char buffer[65536];
    while (pipe && std::fgets(buffer, sizeof buffer, pipe))
        output += buffer;
    const int status = pipe ? pclose(pipe) : -1;
    if (!WIFEXITED(status) || WEXITSTATUS(status) == 3) {
        book.skipped = "xlrd cannot run: " + output;
        return book;
    }
    if (WEXITSTATUS(status) != 0) {
        book.error = output;
        return book;
    }
    std::istringstream lines(output);
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream in(line);
        std::string kind;
        in >> kind;
        if (kind == "sheet") {
            int index = 0;
            int selected = 0;
            int active = 0;
            std::string name;
            ReadSheet sheet;
            in >> index >> name >> selected >> active >> sheet.rows >> sheet.columns;
            sheet.name = unhex(name);
            sheet.selected = selected != 0;
            sheet.active = active != 0;
            book.sheets.push_back(sheet);
        } else if (kind == "cell") {
            int index = 0;
            int row = 0;
            int column = 0;
            int wrap = 0;
            ReadCell cell;
            in >> index >> row >> column >> cell.type >> wrap >> cell.value;
            cell.wrap = wrap != 0;
            if (cell.type == "text")
                cell.value = unhex(cell.value);
            book.sheets.at(index).cells[{row, column}] = cell;
        } else if (kind == "width") {
            int index = 0;
            int column = 0;
            int width = 0;
            in >> index >> column >> width;
            book.sheets.at(index).widths[column] = width;
        } else if (kind == "height") {
            int index = 0;
            int row = 0;
            int height = 0;
            in >> index >> row >> height;
            book.sheets.at(index).heights[row] = height;
        }
    }
    return book;
}

}  // namespace vantile::office::excel::readback

// Reads the file with xlrd into `book`; skips the test when xlrd cannot run.
#define READ_WITH_XLRD(book, file)                                            \
    const auto book = ::vantile::office::excel::readback::ReadWithXlrd(file); \
    if (!book.skipped.empty())                                                \
        GTEST_SKIP() << book.skipped;                                         \
    ASSERT_EQ(book.error, "")
