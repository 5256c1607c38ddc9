// Reading the dongle's device table (see dongle.h).
#include <cstdio>
#include <sstream>

#include "dongle_internal.h"

namespace dongle {

namespace {

bool ParseSize(const std::string& word, SizeEntry& entry) {
    int w1, h1, w2, h2, sw, sh;
    if (std::sscanf(word.c_str(), "%dx%d-%dx%d/%dx%d", &w1, &h1, &w2, &h2, &sw, &sh) == 6) {
        entry.stepwise = true;
        entry.minWidth = w1, entry.minHeight = h1, entry.width = w2, entry.height = h2;
        entry.stepWidth = sw, entry.stepHeight = sh;
        return true;
    }
    return std::sscanf(word.c_str(), "%dx%d", &entry.width, &entry.height) == 2;
}

} // namespace

Table ParseTable(const std::string& text) {
    Table table;
    std::string line;
    std::istringstream lines(text);
    const char separator = text.find(';') != std::string::npos ? ';' : '\n';
    while (std::getline(lines, line, separator)) {
        std::istringstream in(line);
        std::string word;
        if (!(in >> word))
            continue;
        if (word == "card") {
            std::getline(in >> std::ws, table.card);
        } else if (word == "quiet") {
            in >> table.quietAfter >> table.quietFor;
        } else if (word == "log") {
            in >> table.logPath;
        } else if (word == "content") {
            in >> word;
            table.content = word == "natural" ? Content::Natural
                            : word == "flash" ? Content::Flash
                                              : Content::Pattern;
        } else if (word == "damage") {
            std::string kind;
            int every = 0;
            static const std::pair<const char*, Damage> kKinds[] = {
                {"error", Damage::Error},
                {"empty", Damage::Empty},
                {"truncated", Damage::Truncated},
                {"wrongsize", Damage::WrongSize}};
            if (in >> kind >> every && every > 0)
                for (auto [name, damage] : kKinds)
                    if (kind == name)
                        table.damage.emplace_back(damage, every);
        } else if (word == "burst") {
            in >> table.burstFrames >> table.burstPeriodMs;
        } else if (word == "deny") {
            table.deny = true;
        } else if (word == "busy") {
            table.busy = true;
        } else if (word == "eio") {
            in >> word;
            table.eio = word == "always" ? Table::Eio::Always : Table::Eio::Once;
        } else if (word == "cache") {
            in >> table.cacheDir;
        } else if (word == "slow") {
            in >> table.slowMs;
        } else if (word == "plugged-while") {
            in >> table.pluggedWhile;
        } else if (word.size() == 4) {
            SizeEntry entry;
            entry.fourcc = word[0] | word[1] << 8 | word[2] << 16 | uint32_t(word[3]) << 24;
            std::string size;
            double fps;
            if (!(in >> size) || !ParseSize(size, entry))
                continue;
            while (in >> fps)
                entry.fps.push_back(fps);
            if (!entry.fps.empty())
                table.sizes.push_back(entry);
        }
    }
    return table;
}

} // namespace dongle
