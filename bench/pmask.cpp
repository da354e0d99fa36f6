// check_pmask_collision against its frozen predecessor (pmask_frozen.h) on
// sprite-sized blob masks. Each pair of masks is measured on three sets of
// placements:
//   mixed     boxes overlap, half of them really collide;
//   near-miss boxes overlap, pixels never do (the test must look everywhere);
//   rejected  boxes apart, answered by the box comparisons alone.
// Both tests are first checked against a pixel-by-pixel reference on every
// placement. Every measurement (this thread's processor time) of the new and
// the old test alternates with the others in one run, repetition after
// repetition, so that a change in the load of the shared machine falls on
// both alike; the table gives the medians and the spread of the
// per-repetition ratios. Usage: bench_pmask [repetitions]
#include "bench/pmask_frozen.h"
#include "bench/pmask_shapes.h"
#include "pmask/pmask.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <random>
#include <vector>

namespace {

constexpr int placementsPerSet = 2048;
constexpr int passesPerMeasurement = 10;

struct Placement {
    int x1, y1, x2, y2;
};

struct Shape {
    PixelGrid grid;
    PMASK* mask;
};

struct PairCase {
    const char* name;
    const Shape* a;
    const Shape* b;
    std::vector<Placement> sets[3]; // mixed, near-miss, rejected
};

const char* const setNames[3] = {"mixed", "near-miss", "rejected"};

bool boxesOverlap(const PixelGrid& a, const PixelGrid& b, const Placement& p)
{
    return p.x1 < p.x2 + b.w && p.x2 < p.x1 + a.w && p.y1 < p.y2 + b.h && p.y2 < p.y1 + a.h;
}

PairCase makePair(const char* name, const Shape& first, const Shape& second, unsigned seed)
{
    std::mt19937 rng(seed);
    PairCase pair{name, &first, &second, {}};
    const PixelGrid& a = first.grid;
    const PixelGrid& b = second.grid;
    std::uniform_int_distribution<int> field(0, 400);
    std::uniform_int_distribution<int> dxOverlap(-b.w + 1, a.w - 1);
    std::uniform_int_distribution<int> dyOverlap(-b.h + 1, a.h - 1);
    std::vector<Placement> hits, misses;
    while (hits.size() < placementsPerSet / 2 || misses.size() < placementsPerSet) {
        const int x1 = field(rng), y1 = field(rng);
        const Placement p{x1, y1, x1 + dxOverlap(rng), y1 + dyOverlap(rng)};
        if (referenceCollision(a, b, p.x1, p.y1, p.x2, p.y2)) {
            if (hits.size() < placementsPerSet / 2)
                hits.push_back(p);
        } else if (misses.size() < placementsPerSet) {
            misses.push_back(p);
        }
    }
    pair.sets[1] = misses;
    pair.sets[0] = hits;
    pair.sets[0].insert(pair.sets[0].end(), misses.begin(), misses.begin() + placementsPerSet / 2);
    std::shuffle(pair.sets[0].begin(), pair.sets[0].end(), rng);

    // Apart, but close: each of the four box comparisons gets its share.
    std::uniform_int_distribution<int> dxNear(-b.w - 40, a.w + 40);
    std::uniform_int_distribution<int> dyNear(-b.h - 40, a.h + 40);
    while (pair.sets[2].size() < placementsPerSet) {
        const int x1 = field(rng), y1 = field(rng);
        const Placement p{x1, y1, x1 + dxNear(rng), y1 + dyNear(rng)};
        if (!boxesOverlap(a, b, p))
            pair.sets[2].push_back(p);
    }
    return pair;
}

// One timing loop per test, each out of line, as the game's loops are.
template <int (*test)(const PMASK*, const PMASK*, int, int, int, int)>
__attribute__((noinline)) int sweep(const PMASK* a, const PMASK* b, const std::vector<Placement>& set)
{
    int collisions = 0;
    for (const Placement& p : set)
        collisions += test(a, b, p.x1, p.y1, p.x2, p.y2);
    return collisions;
}

using Sweep = int (*)(const PMASK*, const PMASK*, const std::vector<Placement>&);
const Sweep sweepNew = sweep<check_pmask_collision>;
const Sweep sweepOld = sweep<pmask_frozen::check_pmask_collision>;

volatile int sink;

// CPU time of this thread: the time the machine gives to other processes
// meanwhile is left out.
double threadNanoseconds()
{
    timespec t;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return 1e9 * static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec);
}

double nsPerPlacement(Sweep run, const PairCase& pair, const std::vector<Placement>& set)
{
    sink = run(pair.a->mask, pair.b->mask, set);
    const double start = threadNanoseconds();
    for (int i = 0; i < passesPerMeasurement; ++i)
        sink = run(pair.a->mask, pair.b->mask, set);
    return (threadNanoseconds() - start) / (passesPerMeasurement * static_cast<double>(set.size()));
}

double quantile(std::vector<double> values, double q)
{
    std::sort(values.begin(), values.end());
    const double at = q * static_cast<double>(values.size() - 1);
    const size_t below = static_cast<size_t>(at);
    const size_t above = std::min(below + 1, values.size() - 1);
    return values[below] + (at - static_cast<double>(below)) * (values[above] - values[below]);
}

struct Cell {
    std::vector<double> fresh, old, ratio;
};

// Both tests and the pixel-by-pixel reference on every placement.
bool answersAgree(const PairCase& pair)
{
    for (const std::vector<Placement>& set : pair.sets)
        for (const Placement& p : set) {
            const int expected = referenceCollision(pair.a->grid, pair.b->grid, p.x1, p.y1, p.x2, p.y2);
            if (check_pmask_collision(pair.a->mask, pair.b->mask, p.x1, p.y1, p.x2, p.y2) != expected ||
                check_pmask_collision(pair.b->mask, pair.a->mask, p.x2, p.y2, p.x1, p.y1) != expected ||
                pmask_frozen::check_pmask_collision(pair.a->mask, pair.b->mask, p.x1, p.y1, p.x2, p.y2) !=
                    expected) {
                std::printf("%s: wrong answer at %d,%d / %d,%d\n", pair.name, p.x1, p.y1, p.x2, p.y2);
                return false;
            }
        }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    const int repetitions = argc > 1 ? std::max(1, std::atoi(argv[1])) : 41;

    std::mt19937 rng(14);
    const int sizes[][2] = {{32, 32}, {6, 6}, {24, 24}, {40, 36}, {48, 48}, {60, 60}, {200, 150}};
    std::vector<Shape> shapes;
    for (const auto& size : sizes) {
        shapes.push_back(Shape{blobGrid(size[0], size[1], rng), create_pmask(size[0], size[1])});
        pmask_load_func(shapes.back().mask, 0, 0, &shapes.back().grid, 0, pixelGridReader);
    }
    const Shape &ship = shapes[0], &bullet = shapes[1], &enemy24 = shapes[2], &enemy40 = shapes[3],
                &enemy48 = shapes[4], &hazard = shapes[5], &large = shapes[6];
    const std::vector<PairCase> pairs = {
        makePair("ship vs bullet", ship, bullet, 1),
        makePair("ship vs enemy 24", ship, enemy24, 2),
        makePair("ship vs enemy 40x36", ship, enemy40, 3),
        makePair("ship vs enemy 48", ship, enemy48, 4),
        makePair("ship vs hazard 60", ship, hazard, 5),
        makePair("enemy 48 vs bullet", enemy48, bullet, 6),
        makePair("hazard 60 vs bullet", hazard, bullet, 7),
        makePair("hazard 60 vs enemy 48", hazard, enemy48, 8),
        makePair("200x150 vs bullet", large, bullet, 9),
        makePair("200x150 vs ship", large, ship, 10),
        makePair("200x150 vs hazard 60", large, hazard, 11),
    };
    for (const PairCase& pair : pairs)
        if (!answersAgree(pair))
            return 1;

    // Repetition r measures every cell, new and old in turn, the first of
    // the two alternating from one repetition to the next.
    std::vector<Cell> cells(pairs.size() * 3);
    for (int r = 0; r < repetitions; ++r)
        for (size_t i = 0; i < cells.size(); ++i) {
            const PairCase& pair = pairs[i / 3];
            const std::vector<Placement>& set = pair.sets[i % 3];
            double fresh, old;
            if (r % 2) {
                fresh = nsPerPlacement(sweepNew, pair, set);
                old = nsPerPlacement(sweepOld, pair, set);
            } else {
                old = nsPerPlacement(sweepOld, pair, set);
                fresh = nsPerPlacement(sweepNew, pair, set);
            }
            cells[i].fresh.push_back(fresh);
            cells[i].old.push_back(old);
            cells[i].ratio.push_back(fresh / old);
        }

    std::printf("ns per pair: medians of %d interleaved repetitions, %d placements x %d passes each\n", repetitions,
                placementsPerSet, passesPerMeasurement);
    std::printf("%-22s %-10s %7s %7s %8s %17s\n", "pair", "set", "new", "old", "new/old", "ratio q1..q3");
    double logSum = 0, worstRejected = 0, worstBulletRatio = 0;
    int counted = 0;
    for (size_t i = 0; i < cells.size(); ++i) {
        const PairCase& pair = pairs[i / 3];
        const int set = static_cast<int>(i % 3);
        const double fresh = quantile(cells[i].fresh, 0.5);
        const double old = quantile(cells[i].old, 0.5);
        std::printf("%-22s %-10s %7.2f %7.2f %8.2f %8.2f..%-8.2f\n", pair.name, setNames[set], fresh, old,
                    fresh / old, quantile(cells[i].ratio, 0.25), quantile(cells[i].ratio, 0.75));
        if (set == 2) {
            worstRejected = std::max(worstRejected, fresh);
            continue;
        }
        logSum += std::log(fresh / old);
        ++counted;
        // Against ship vs bullet on the same set, repetition by repetition.
        if (pair.b == &bullet && pair.a->grid.w > 32) {
            std::vector<double> ratios;
            for (int r = 0; r < repetitions; ++r)
                ratios.push_back(cells[i].fresh[r] / cells[set].fresh[r]);
            worstBulletRatio = std::max(worstBulletRatio, quantile(ratios, 0.5));
        }
    }
    const double geomean = std::exp(logSum / counted);
    std::printf("\ngeometric mean new/old over %d cells: %.2f (goal 0.60 or less)\n", counted, geomean);
    std::printf("slowest mask wider than 32 against the bullet: %.2fx ship vs bullet, same set (goal 1.15 or less)\n",
                worstBulletRatio);
    std::printf("slowest box-rejected pair: %.2f ns (goal 2 or less)\n", worstRejected);
    std::printf("%s\n", geomean <= 0.60 && worstBulletRatio <= 1.15 && worstRejected <= 2.0
                            ? "all three targets met"
                            : "TARGET NOT MET");
    for (Shape& shape : shapes)
        destroy_pmask(shape.mask);
    return 0;
}
