#include <config_velora_tq4/LCDCharset.h>
#include <config_velora_tq4/TextChecks.h>

#include <algorithm>
#include <cstdint>
#include <numeric>
#include <vector>

namespace config_velora_tq4 {

namespace {

constexpr int kMaxSuggestedDistance = 2;
constexpr std::uint8_t kDotCode = 0x2E;

// Levenshtein distance: insertions, deletions and substitutions of one character.
int editDistance(const QString& a, const QString& b) {
    std::vector<int> row(static_cast<std::size_t>(b.size()) + 1);
    std::iota(row.begin(), row.end(), 0);
    for (int i = 1; i <= a.size(); ++i) {
        int diagonal = row[0];
        row[0] = i;
        for (int j = 1; j <= b.size(); ++j) {
            const int above = row[static_cast<std::size_t>(j)];
            const int substitution = diagonal + (a.at(i - 1) == b.at(j - 1) ? 0 : 1);
            row[static_cast<std::size_t>(j)] =
                std::min({above + 1, row[static_cast<std::size_t>(j) - 1] + 1, substitution});
            diagonal = above;
        }
    }
    return row.back();
}

} // namespace

QString similarName(const QString& name, const QStringList& known) {
    QString best;
    int bestDistance = kMaxSuggestedDistance + 1;
    for (const QString& candidate : known) {
        const int distance = editDistance(name, candidate);
        if (distance < bestDistance) {
            best = candidate;
            bestDistance = distance;
        }
    }
    return best;
}

QString displayForm(const QString& text) {
    QString form = text;
    for (QChar& c : form) {
        c = QChar(lcdCorrectChar(c.unicode()));
    }
    return form;
}

QString hiddenCharacter(const QString& text) {
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c != QLatin1Char('.') && toLcdCode(c.unicode()) == kDotCode) {
            return text.mid(i, c.isHighSurrogate() ? 2 : 1);
        }
    }
    return {};
}

} // namespace config_velora_tq4
