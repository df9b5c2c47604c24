// The fit of the schedule's parameters: the replay, its log loss and Adam.
#include "review/fit.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "review/dual.h"
#include "review/model.h"

namespace review {
namespace {

using D = Dual<kFree>;

// A predicted probability is kept off 0 and 1, so that one confident miss costs a bounded
// amount rather than infinity.
constexpr double kEdge = 1e-9;

double LineLoss(double r, int grade) {
  r = std::clamp(r, kEdge, 1 - kEdge);
  return grade == kGradeRight ? -std::log(r) : -std::log(1 - r);
}

}  // namespace

bool WithinBounds(const Parameters& p) {
  for (int i = 0; i < kParameters; ++i)
    if (!(p.w[i] >= kLowerBound[i] && p.w[i] <= kUpperBound[i])) return false;  // NaN too
  return true;
}

FitData PrepareFit(const std::vector<Entry>& entries) {
  FitData data;
  struct Order {
    std::uint64_t key;
    std::int64_t when;
    std::uint32_t index;
  };
  std::vector<Order> order;
  order.reserve(entries.size());
  for (std::size_t i = 0; i < entries.size(); ++i)
    if (entries[i].Grade == kGradeRight || entries[i].Grade == kGradeWrong)
      order.push_back({entries[i].Key, entries[i].When, static_cast<std::uint32_t>(i)});
  std::sort(order.begin(), order.end(), [](const Order& a, const Order& b) {
    if (a.key != b.key) return a.key < b.key;
    if (a.when != b.when) return a.when < b.when;
    return a.index < b.index;
  });
  // The predicted gradings, to be put in time order for the split.
  struct Predicted {
    std::int64_t when;
    std::uint32_t index;
    std::uint32_t line;
  };
  std::vector<Predicted> predicted;
  data.lines.reserve(order.size());
  for (std::size_t i = 0; i < order.size(); ++i) {
    FitLine line;
    line.grade = static_cast<std::int8_t>(entries[order[i].index].Grade);
    if (i == 0 || order[i - 1].key != order[i].key) {
      data.keyStart.push_back(static_cast<std::uint32_t>(data.lines.size()));
    } else {
      std::int64_t days = WholeDays(order[i - 1].when, order[i].when);
      line.days = static_cast<std::int32_t>(std::min<std::int64_t>(days, 1 << 30));
      if (days >= 1)
        predicted.push_back({order[i].when, order[i].index,
                             static_cast<std::uint32_t>(data.lines.size())});
    }
    data.lines.push_back(line);
  }
  data.keys = static_cast<int>(data.keyStart.size());
  data.keyStart.push_back(static_cast<std::uint32_t>(data.lines.size()));
  std::sort(predicted.begin(), predicted.end(), [](const Predicted& a, const Predicted& b) {
    return a.when != b.when ? a.when < b.when : a.index < b.index;
  });
  data.reviews = static_cast<int>(predicted.size());
  // The first 80 % (rounded down) train.
  data.train = static_cast<int>(static_cast<std::int64_t>(data.reviews) * 4 / 5);
  data.heldOut = data.reviews - data.train;
  for (int i = 0; i < data.reviews; ++i)
    data.lines[predicted[static_cast<std::size_t>(i)].line].role = i < data.train ? 1 : 2;
  // Lines after a key's last training prediction play no part in the training loss.
  data.trainEnd.resize(static_cast<std::size_t>(data.keys));
  for (int k = 0; k < data.keys; ++k) {
    std::uint32_t end = data.keyStart[static_cast<std::size_t>(k)];
    for (std::uint32_t i = end; i < data.keyStart[static_cast<std::size_t>(k) + 1]; ++i)
      if (data.lines[i].role == 1) end = i + 1;
    data.trainEnd[static_cast<std::size_t>(k)] = end;
  }
  return data;
}

LogLosses Evaluate(const FitData& data, const Parameters& p) {
  double sum[3] = {0, 0, 0};
  for (int k = 0; k < data.keys; ++k) {
    double s = 0, d = 0;
    for (std::uint32_t i = data.keyStart[static_cast<std::size_t>(k)];
         i < data.keyStart[static_cast<std::size_t>(k) + 1]; ++i) {
      const FitLine& line = data.lines[i];
      if (line.days < 0) {
        model::First(line.grade, p.w, &s, &d);
        continue;
      }
      double r = 1;
      model::Next(line.grade, line.days, p.w, &s, &d, &r);
      if (line.role != 0) sum[line.role] += LineLoss(r, line.grade);
    }
  }
  LogLosses losses;
  if (data.train > 0) losses.train = sum[1] / data.train;
  if (data.heldOut > 0) losses.heldOut = sum[2] / data.heldOut;
  return losses;
}

double TrainLossAndGradient(const FitData& data, const Parameters& p, double gradient[kParameters]) {
  D w[kParameters];
  for (int i = 0; i < kParameters; ++i) w[i] = D(p.w[i]);
  for (int f = 0; f < kFree; ++f) w[kFreeIndex[f]] = D::Input(p.w[kFreeIndex[f]], f);
  double loss = 0;
  double grad[kFree] = {};
  for (int k = 0; k < data.keys; ++k) {
    D s, d;
    for (std::uint32_t i = data.keyStart[static_cast<std::size_t>(k)];
         i < data.trainEnd[static_cast<std::size_t>(k)]; ++i) {
      const FitLine& line = data.lines[i];
      if (line.days < 0) {
        model::First<D>(line.grade, w, &s, &d);
        continue;
      }
      D r(1.0);
      model::Next<D>(line.grade, line.days, w, &s, &d, &r);
      if (line.role != 1) continue;
      loss += LineLoss(r.v, line.grade);
      // d(-log r) = -dr / r; d(-log(1 - r)) = dr / (1 - r); nothing where r was kept off the
      // edge.
      if (r.v <= kEdge || r.v >= 1 - kEdge) continue;
      double a = line.grade == kGradeRight ? -1.0 / r.v : 1.0 / (1.0 - r.v);
      for (int f = 0; f < kFree; ++f) grad[f] += a * r.d[f];
    }
  }
  for (int i = 0; i < kParameters; ++i) gradient[i] = 0;
  if (data.train == 0) return 0;
  for (int f = 0; f < kFree; ++f) gradient[kFreeIndex[f]] = grad[f] / data.train;
  return loss / data.train;
}

FitResult Fit(const FitData& data, const FitProgress& progress) {
  FitResult result;
  result.keys = data.keys;
  result.reviews = data.reviews;
  result.heldOut = data.heldOut;
  if (data.reviews < kMinFitReviews) {
    result.status = FitStatus::kTooFew;
    return result;
  }
  // Adam's constants as the published optimizer has them.
  constexpr double kRate = 0.04, kBeta1 = 0.9, kBeta2 = 0.999, kEpsilon = 1e-8;
  constexpr int kWindow = 20;
  constexpr double kImprovement = 1e-7;
  Parameters x = kDefaultParameters;
  Parameters best = x;
  double bestLoss = HUGE_VAL;
  // bestAt[k]: the best training loss after step k, to see what the last 20 steps gained.
  std::vector<double> bestAt;
  double m[kParameters] = {}, v[kParameters] = {};
  double beta1t = 1, beta2t = 1;
  for (int step = 1; step <= kMaxFitSteps; ++step) {
    double g[kParameters];
    double loss = TrainLossAndGradient(data, x, g);
    if (loss < bestLoss) {
      bestLoss = loss;
      best = x;
    }
    bestAt.push_back(bestLoss);
    result.steps = step;
    if (progress && !progress(step, loss)) {
      FitResult cancelled;
      cancelled.status = FitStatus::kCancelled;
      cancelled.keys = data.keys;
      cancelled.reviews = data.reviews;
      cancelled.heldOut = data.heldOut;
      cancelled.steps = step;
      return cancelled;
    }
    if (step > kWindow && bestAt[static_cast<std::size_t>(step - 1 - kWindow)] - bestLoss <
                              kImprovement)
      break;
    if (!std::isfinite(loss)) break;
    // The rate annealed on a cosine over the most steps, as the published optimizer anneals it
    // over its run.
    double rate = kRate * 0.5 * (1 + std::cos(std::numbers::pi * (step - 1) / kMaxFitSteps));
    beta1t *= kBeta1;
    beta2t *= kBeta2;
    for (int f = 0; f < kFree; ++f) {
      int i = kFreeIndex[f];
      m[i] = kBeta1 * m[i] + (1 - kBeta1) * g[i];
      v[i] = kBeta2 * v[i] + (1 - kBeta2) * g[i] * g[i];
      double mHat = m[i] / (1 - beta1t), vHat = v[i] / (1 - beta2t);
      x.w[i] = std::clamp(x.w[i] - rate * mHat / (std::sqrt(vHat) + kEpsilon), kLowerBound[i],
                          kUpperBound[i]);
    }
  }
  result.fitted = best;
  LogLosses fitted = Evaluate(data, best);
  result.trainLoss = fitted.train;
  result.fittedHeldOut = fitted.heldOut;
  result.defaultHeldOut = Evaluate(data, kDefaultParameters).heldOut;
  result.better = result.fittedHeldOut < result.defaultHeldOut;
  return result;
}

FitResult Fit(const std::vector<Entry>& entries, const FitProgress& progress) {
  return Fit(PrepareFit(entries), progress);
}

}  // namespace review
