#include "host/Rules.h"

namespace zk {

bool isStraight(const Faces& faces)
{
    std::array<bool, kFaceCount + 1> seen{};
    for (int f : faces) {
        if (f < 1 || f > kFaceCount || seen[static_cast<std::size_t>(f)])
            return false;
        seen[static_cast<std::size_t>(f)] = true;
    }
    // Five different faces out of six: a straight unless it has both 1 and 6.
    return !(seen[1] && seen[kFaceCount]);
}

int sumOfFaces(const Faces& faces)
{
    int sum = 0;
    for (int f : faces)
        sum += f;
    return sum;
}

int countFace(const Faces& faces, int face)
{
    int n = 0;
    for (int f : faces) {
        if (f == face)
            ++n;
    }
    return n;
}

int pointsAfterThirdRoll(int category, const Faces& faces)
{
    if (category == kStraight)
        return isStraight(faces) ? sumOfFaces(faces) : 0;
    if (category >= 1 && category <= kFaceCount)
        return category * countFace(faces, category);
    return 0;
}

int zonkardPoints(const Faces& faces)
{
    return sumOfFaces(faces) + kZonkardBonus;
}

int bonusPoints(int category, const Faces& faces)
{
    return category * countFace(faces, category);
}

std::vector<int> offeredCategories(const ScoreRows& rows, int round)
{
    std::vector<int> open;
    for (int k = 1; k <= kFaceCount; ++k) {
        if (rows[static_cast<std::size_t>(k - 1)] == kUnscored)
            open.push_back(k);
    }
    if (round == kRounds && rows[kStraight - 1] == kUnscored)
        open.push_back(kStraight);
    return open;
}

int computerCategory(const ScoreRows& rows, const Faces& faces)
{
    int candidate = 0;
    int best = -1;
    for (int k = 1; k <= kFaceCount; ++k) {
        if (rows[static_cast<std::size_t>(k - 1)] != kUnscored)
            continue;
        const int n = countFace(faces, k);
        if (candidate == 0 || n > best) {
            candidate = k;
            best = n;
        }
    }
    if (candidate != 0)
        return candidate;
    for (int r = 1; r <= kStraight; ++r) {
        if (rows[static_cast<std::size_t>(r - 1)] == kUnscored)
            return r;
    }
    return 0;
}

std::vector<int> computerRerolls(int category, const Faces& faces)
{
    std::vector<int> reroll;
    if (category == kStraight) {
        std::array<bool, kFaceCount + 1> kept{};
        for (int d = 0; d < kDiceCount; ++d) {
            const int f = faces[static_cast<std::size_t>(d)];
            bool keep = false;
            if (f == 1 || f == 6)
                keep = !kept[1] && !kept[6];
            else if (f >= 2 && f <= 5)
                keep = !kept[static_cast<std::size_t>(f)];
            if (keep)
                kept[static_cast<std::size_t>(f)] = true;
            else
                reroll.push_back(d + 1);
        }
        return reroll;
    }
    for (int d = 0; d < kDiceCount; ++d) {
        if (faces[static_cast<std::size_t>(d)] != category)
            reroll.push_back(d + 1);
    }
    return reroll;
}

std::vector<int> winningSeats(const SeatTotals& totals)
{
    int best = 1;
    for (int s = 2; s <= kSeatCount; ++s) {
        if (totals[static_cast<std::size_t>(s - 1)] > totals[static_cast<std::size_t>(best - 1)])
            best = s;
    }
    std::vector<int> list{best};
    for (int s = 1; s <= kSeatCount; ++s) {
        if (s != best &&
            totals[static_cast<std::size_t>(s - 1)] == totals[static_cast<std::size_t>(best - 1)])
            list.push_back(s);
    }
    return list;
}

} // namespace zk
