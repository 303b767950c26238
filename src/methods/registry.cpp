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

// Block and bilinear need no working memory beyond the stack: a band runs
// on the call's plan alone.
template <class Plan, Plan (*kPlan)(const Conversion&, SimdFeatures)>
class PlainPlan final : public MethodPlan {
    class Run final : public MethodRun {
      public:
        explicit Run(const Plan& plan) : plan_(plan) {}
        bool Prepare() override { return true; }
        void Convert(const Conversion& part) override { plan_.Convert(part); }

      private:
        const Plan& plan_;
    };

  public:
    PlainPlan(const Conversion& job, SimdFeatures level) : plan_(kPlan(job, level)) {}
    std::unique_ptr<MethodRun> Band(const Conversion&) const override {
        return std::make_unique<Run>(plan_);
    }

  private:
    Plan plan_;
};

// The cubic methods: each band owns its tables and rings; the call's pack
// plan and row kernels serve them all.
template <bool kFixed>
class CubicMethodPlan final : public MethodPlan {
    class Run final : public MethodRun {
      public:
        Run(const Conversion& band, const CubicMethodPlan& plan)
            : pack_(plan.pack_), conversion_(kFixed, band, memory_, plan.level_, plan.kernels_) {}
        bool Prepare() override { return conversion_.Prepare(); }
        void Convert(const Conversion& part) override { conversion_.Convert(part, pack_); }

      private:
        const PackPlan& pack_;
        CubicMemory memory_;
        CubicConversion conversion_;
    };

  public:
    CubicMethodPlan(const Conversion& job, SimdFeatures level)
        : pack_(job.dst, job.pack, level), level_(level), kernels_(ChooseCubicRows(level)) {}
    std::unique_ptr<MethodRun> Band(const Conversion& band) const override {
        return std::make_unique<Run>(band, *this);
    }

  private:
    PackPlan pack_;
    SimdFeatures level_;
    CubicRowKernels kernels_;
};

// Methods whose working memory is sized before any band writes; a failed
// allocation leaves the destination untouched.
template <class Memory, class Plan, Plan (*kPlan)(const Conversion&, SimdFeatures),
          void (*kPrepare)(const Conversion&, Memory&),
          void (*kRows)(const Conversion&, Memory&, const Plan&)>
class PreparedPlan final : public MethodPlan {
    class Run final : public MethodRun {
      public:
        Run(const Conversion& band, const Plan& plan) : band_(band), plan_(plan) {}
        bool Prepare() override {
            try {
                kPrepare(band_, memory_);
                return true;
            } catch (const std::bad_alloc&) {
                return false;
            }
        }
        void Convert(const Conversion& part) override { kRows(part, memory_, plan_); }

      private:
        Conversion band_;
        const Plan& plan_;
        Memory memory_;
    };

  public:
    PreparedPlan(const Conversion& job, SimdFeatures level) : plan_(kPlan(job, level)) {}
    std::unique_ptr<MethodRun> Band(const Conversion& band) const override {
        return std::make_unique<Run>(band, plan_);
    }

  private:
    Plan plan_;
};

using BilinearMethod = PlainPlan<BilinearPlan, PlanBilinear>;
using BlockMethod = PlainPlan<BlockPlan, PlanBlock>;
using MhcMethod = PreparedPlan<MhcMemory, MhcPlan, PlanMhc, PrepareMhc, ConvertMhc>;
using DlmmseMethod =
    PreparedPlan<DlmmseMemory, DlmmsePlan, PlanDlmmse, PrepareDlmmse, ConvertDlmmse>;
using RiMethod = PreparedPlan<RiMemory, RiPlan, PlanRi, PrepareRi, ConvertRi>;

template <class Method>
std::unique_ptr<MethodPlan> Plan(const Conversion& job, SimdFeatures level) {
    return std::make_unique<Method>(job, level);
}

// Codes are contiguous from 1, in this order. The band sizes follow the
// methods' cost per pixel: a band should take over a tenth of a
// millisecond, many times what handing it to a waiting thread costs.
constexpr MethodEntry kMethods[] = {
    {1, "bilinear", {Plan<BilinearMethod>, 1u << 19, 1, 0}},
    {2, "block", {Plan<BlockMethod>, 1u << 19, 1, 0}},
    {3, "cubic-float", {Plan<CubicMethodPlan<false>>, 1u << 17, 8, 0}},
    {4, "cubic-fixed", {Plan<CubicMethodPlan<true>>, 1u << 17, 8, 0}},
    {5, "mhc", {Plan<MhcMethod>, 1u << 18, 2, 0}},
    {6, "dlmmse", {Plan<DlmmseMethod>, 1u << 16, kDlmmseMargin, 0}},
    {7, "ri", {Plan<RiMethod>, 1u << 15, kRiMargin, kRiMaxBands}},
};

}  // namespace

const MethodEntry* FindMethod(uint32_t code) {
    for (const MethodEntry& m : kMethods)
        if (m.code == code) return &m;
    return nullptr;
}

}  // namespace orvex
