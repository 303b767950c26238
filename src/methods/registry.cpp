#include "methods/registry.h"

#include <new>

#include "methods/bilinear/bilinear_demosaic.h"
#include "methods/block/block_demosaic.h"
#include "methods/cubic/cubic_demosaic.h"
#include "methods/dlmmse/dlmmse_demosaic.h"
#include "methods/mhc/mhc_demosaic.h"
#include "methods/ri/ri_demosaic.h"

namespace orvex {
namespace {

// Block and bilinear need no working memory beyond the stack.
template <void (*kMethod)(const Conversion&, SimdFeatures)>
class PlainRun final : public MethodRun {
  public:
    PlainRun(const Conversion& job, SimdFeatures level) : job_(job), level_(level) {}
    bool Prepare() override { return true; }
    void Convert(const Conversion& part) override { kMethod(part, level_); }

  private:
    Conversion job_;
    SimdFeatures level_;
};

template <bool kFixed>
class CubicRun final : public MethodRun {
  public:
    CubicRun(const Conversion& job, SimdFeatures level)
        : conversion_(kFixed, job, memory_, level) {}
    bool Prepare() override { return conversion_.Prepare(); }
    void Convert(const Conversion& part) override { conversion_.Convert(part); }

  private:
    CubicMemory memory_;
    CubicConversion conversion_;
};

// Methods whose working memory is sized before any band writes; a failed
// allocation leaves the destination untouched.
template <class Memory, void (*kPrepare)(const Conversion&, Memory&),
          void (*kMethod)(const Conversion&, Memory&, SimdFeatures)>
class PreparedRun final : public MethodRun {
  public:
    PreparedRun(const Conversion& job, SimdFeatures level) : job_(job), level_(level) {}
    bool Prepare() override {
        try {
            kPrepare(job_, memory_);
            return true;
        } catch (const std::bad_alloc&) {
            return false;
        }
    }
    void Convert(const Conversion& part) override { kMethod(part, memory_, level_); }

  private:
    Conversion job_;
    SimdFeatures level_;
    Memory memory_;
};

using MhcRun = PreparedRun<MhcMemory, PrepareMhc, MhcDemosaic>;
using DlmmseRun = PreparedRun<DlmmseMemory, PrepareDlmmse, DlmmseDemosaic>;
using RiRun = PreparedRun<RiMemory, PrepareRi, RiDemosaic>;

template <class Run>
std::unique_ptr<MethodRun> Plan(const Conversion& job, SimdFeatures level) {
    return std::make_unique<Run>(job, level);
}

// Codes are contiguous from 1, in this order. The band sizes follow the
// methods' cost per pixel: a band should take over a tenth of a
// millisecond, many times what handing it to a waiting thread costs.
constexpr MethodEntry kMethods[] = {
    {1, "bilinear", {Plan<PlainRun<BilinearDemosaic>>, 1u << 19, 1, 0}},
    {2, "block", {Plan<PlainRun<BlockDemosaic>>, 1u << 19, 1, 0}},
    {3, "cubic-float", {Plan<CubicRun<false>>, 1u << 17, 8, 0}},
    {4, "cubic-fixed", {Plan<CubicRun<true>>, 1u << 17, 8, 0}},
    {5, "mhc", {Plan<MhcRun>, 1u << 18, 2, 0}},
    {6, "dlmmse", {Plan<DlmmseRun>, 1u << 16, kDlmmseMargin, 0}},
    {7, "ri", {Plan<RiRun>, 1u << 15, kRiMargin, kRiMaxBands}},
};

}  // namespace

const MethodEntry* FindMethod(uint32_t code) {
    for (const MethodEntry& m : kMethods)
        if (m.code == code) return &m;
    return nullptr;
}

}  // namespace orvex
