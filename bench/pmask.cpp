// check_pmask_collision against the pixel-by-pixel reference on sprite-sized
// blob masks. Each pair of masks is measured on three sets of placements:
//   mixed     boxes overlap, half of them really collide;
//   near-miss boxes overlap, pixels never do (the test must look everywhere);
//   rejected  boxes apart, answered by the box comparisons alone.
// After the Google Benchmark output a table gives nanoseconds per pair.
#include "pmask/pmask.h"
#include "tests/support/pmask_reference.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr int placementsPerSet = 1024;

struct Placement {
    int x1, y1, x2, y2;
};

struct MaskDeleter {
    void operator()(PMASK* mask) const { destroy_pmask(mask); }
};

struct PairCase {
    std::string name;
    PixelGrid a;
    PixelGrid b;
    std::unique_ptr<PMASK, MaskDeleter> maskA;
    std::unique_ptr<PMASK, MaskDeleter> maskB;
    std::vector<Placement> mixed;
    std::vector<Placement> nearMiss;
    std::vector<Placement> rejected;
};

PMASK* maskFromGrid(PixelGrid& grid)
{
    PMASK* mask = create_pmask(grid.w, grid.h);
    pmask_load_func(mask, 0, 0, &grid, 0, pixelGridReader);
    return mask;
}

bool boxesOverlap(const PixelGrid& a, const PixelGrid& b, const Placement& p)
{
    return p.x1 < p.x2 + b.w && p.x2 < p.x1 + a.w && p.y1 < p.y2 + b.h && p.y2 < p.y1 + a.h;
}

std::unique_ptr<PairCase> makePair(const std::string& name, int wa, int ha, int wb, int hb, unsigned seed)
{
    std::mt19937 rng(seed);
    auto pair = std::make_unique<PairCase>();
    pair->name = name;
    pair->a = blobGrid(wa, ha, rng);
    pair->b = blobGrid(wb, hb, rng);
    pair->maskA.reset(maskFromGrid(pair->a));
    pair->maskB.reset(maskFromGrid(pair->b));

    const PixelGrid& a = pair->a;
    const PixelGrid& b = pair->b;
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
    pair->nearMiss = misses;
    pair->mixed = hits;
    pair->mixed.insert(pair->mixed.end(), misses.begin(), misses.begin() + placementsPerSet / 2);
    std::shuffle(pair->mixed.begin(), pair->mixed.end(), rng);

    // Apart, but close: each of the four box comparisons gets its share.
    std::uniform_int_distribution<int> dxNear(-b.w - 40, a.w + 40);
    std::uniform_int_distribution<int> dyNear(-b.h - 40, a.h + 40);
    while (pair->rejected.size() < placementsPerSet) {
        const int x1 = field(rng), y1 = field(rng);
        const Placement p{x1, y1, x1 + dxNear(rng), y1 + dyNear(rng)};
        if (!boxesOverlap(a, b, p))
            pair->rejected.push_back(p);
    }
    return pair;
}

void runFast(benchmark::State& state, const PairCase* pair, const std::vector<Placement>* set)
{
    const PMASK* a = pair->maskA.get();
    const PMASK* b = pair->maskB.get();
    for (auto _ : state) {
        int collisions = 0;
        for (const Placement& p : *set)
            collisions += check_pmask_collision(a, b, p.x1, p.y1, p.x2, p.y2);
        benchmark::DoNotOptimize(collisions);
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(set->size()));
}

// The reference behind a call of its own, as the word test behind
// check_pmask_collision's inline box test is, so that neither is folded into
// the timing loop.
__attribute__((noinline)) int referenceCall(const PixelGrid& a, const PixelGrid& b, int x1, int y1, int x2, int y2)
{
    return referenceCollision(a, b, x1, y1, x2, y2);
}

void runReference(benchmark::State& state, const PairCase* pair, const std::vector<Placement>* set)
{
    for (auto _ : state) {
        int collisions = 0;
        for (const Placement& p : *set)
            collisions += referenceCall(pair->a, pair->b, p.x1, p.y1, p.x2, p.y2);
        benchmark::DoNotOptimize(collisions);
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(set->size()));
}

// Console output as usual, plus the CPU time of the fastest repetition of
// each benchmark kept for the table: the machine is shared, and the minimum
// is the run least disturbed by others.
class TableReporter : public benchmark::ConsoleReporter {
public:
    std::map<std::string, double> nsPerIteration;

    void ReportRuns(const std::vector<Run>& reports) override
    {
        ConsoleReporter::ReportRuns(reports);
        for (const Run& run : reports) {
            if (run.run_type != Run::RT_Iteration)
                continue;
            const auto known = nsPerIteration.find(run.benchmark_name());
            const double ns = run.GetAdjustedCPUTime();
            if (known == nsPerIteration.end() || ns < known->second)
                nsPerIteration[run.benchmark_name()] = ns;
        }
    }
};

} // namespace

int main(int argc, char** argv)
{
    std::vector<std::unique_ptr<PairCase>> pairs;
    pairs.push_back(makePair("ship 32x32 vs bullet 6x6", 32, 32, 6, 6, 1));
    pairs.push_back(makePair("enemy 24x24 vs ship 32x32", 24, 24, 32, 32, 2));
    pairs.push_back(makePair("enemy 48x48 vs ship 32x32", 48, 48, 32, 32, 3));
    pairs.push_back(makePair("hazard 60x60 vs ship 32x32", 60, 60, 32, 32, 4));
    pairs.push_back(makePair("60x60 vs 60x60", 60, 60, 60, 60, 5));
    pairs.push_back(makePair("200x150 vs 200x150", 200, 150, 200, 150, 6));

    struct SetName {
        const char* name;
        std::vector<Placement> PairCase::*set;
    };
    const SetName sets[] = {{"mixed", &PairCase::mixed}, {"near-miss", &PairCase::nearMiss},
                            {"rejected", &PairCase::rejected}};
    for (const auto& pair : pairs) {
        for (const SetName& set : sets) {
            const std::vector<Placement>* placements = &(pair.get()->*set.set);
            const std::string base = pair->name + "/" + set.name;
            benchmark::RegisterBenchmark((base + "/pmask").c_str(), runFast, pair.get(), placements);
            benchmark::RegisterBenchmark((base + "/reference").c_str(), runReference, pair.get(), placements);
        }
    }

    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    TableReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    std::printf("\nns per pair (%d placements per set)\n", placementsPerSet);
    std::printf("%-28s %-10s %10s %10s %8s\n", "pair", "set", "pmask", "reference", "ratio");
    for (const auto& pair : pairs) {
        for (const SetName& set : sets) {
            const std::string base = pair->name + "/" + set.name;
            const auto fast = reporter.nsPerIteration.find(base + "/pmask");
            const auto slow = reporter.nsPerIteration.find(base + "/reference");
            if (fast == reporter.nsPerIteration.end() || slow == reporter.nsPerIteration.end())
                continue;
            const double fastNs = fast->second / placementsPerSet;
            const double slowNs = slow->second / placementsPerSet;
            std::printf("%-28s %-10s %10.2f %10.2f %7.1fx\n", pair->name.c_str(), set.name, fastNs, slowNs,
                        slowNs / fastNs);
        }
    }
    return 0;
}
