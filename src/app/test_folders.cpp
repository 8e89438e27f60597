#include "app/test_folders.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <map>
#include <set>
#include <string_view>

#include "platform/file_names.h"
#include "results_files/summary_files.h"

namespace tl {

namespace {

std::string folded(std::string text) {
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return text;
}

bool isDeviceName(const std::string& name) {
    // Windows reserves these names with any extension.
    const std::string base = folded(name.substr(0, name.find('.')));
    static const std::array<std::string_view, 4> kPlain{"con", "prn", "aux", "nul"};
    if (std::find(kPlain.begin(), kPlain.end(), base) != kPlain.end()) return true;
    return base.size() == 4 && (base.starts_with("com") || base.starts_with("lpt")) &&
           base[3] >= '1' && base[3] <= '9';
}

bool isSummaryName(const std::string& name) {
    const std::vector<std::string>& names = summaryFileNames();
    return std::find(names.begin(), names.end(), folded(name)) != names.end();
}

std::string stemOf(const std::string& file) {
    return fileNameText(filePathOf(file).stem());
}

// The path as given, without its extension, its root and its "." steps.
std::string pathName(const std::string& file) {
    std::filesystem::path path = filePathOf(file).lexically_normal().relative_path();
    path.replace_extension();
    std::string name;
    for (const std::filesystem::path& part : path) {
        const std::string text = fileNameText(part);
        if (text.empty() || text == ".") continue;
        if (!name.empty()) name += '_';
        name += safeFolderName(text);
    }
    return name.empty() ? safeFolderName(stemOf(file)) : name;
}

}  // namespace

std::string safeFolderName(const std::string& name) {
    std::string safe;
    for (const char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        const bool unsafe = byte < 0x20 || byte == 0x7f ||
                            std::string_view("<>:\"/\\|?*").find(c) != std::string_view::npos;
        safe += unsafe ? '_' : c;
    }
    if (safe.empty()) return "_";
    if (safe.front() == '.') safe.front() = '_';
    if (safe.back() == '.' || safe.back() == ' ') safe.back() = '_';
    if (isDeviceName(safe) || isSummaryName(safe)) safe += '_';
    return safe;
}

std::vector<std::string> testFolderNames(const std::vector<std::string>& files) {
    std::map<std::string, int> stems;
    for (const std::string& file : files) ++stems[folded(safeFolderName(stemOf(file)))];
    std::vector<std::string> names;
    std::set<std::string> taken;
    for (const std::string& file : files) {
        const std::string stem = safeFolderName(stemOf(file));
        const std::string wanted = stems[folded(stem)] > 1 ? pathName(file) : stem;
        std::string name = wanted;
        for (int n = 2; taken.count(folded(name)) > 0; ++n) name = wanted + "-" + std::to_string(n);
        taken.insert(folded(name));
        names.push_back(name);
    }
    return names;
}

}  // namespace tl
