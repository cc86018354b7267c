#include "cdrgen/call_groups.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <utility>

#include "cdrgen/traffic.h"

SiteDraw::SiteDraw(std::vector<uint32_t> shares, uint32_t tiePerMillion)
    : shares_(std::move(shares)), tiePerMillion_(tiePerMillion) {
  for (uint32_t share : shares_) total_ += share;
}

int SiteDraw::Draw(CdrRandom& random, int skip) const {
  const uint64_t total = total_ - (skip >= 0 ? shares_[static_cast<size_t>(skip)] : 0);
  uint32_t draw = random.Below(static_cast<uint32_t>(total));
  const int count = static_cast<int>(shares_.size());
  for (int i = 0; i < count; ++i) {
    if (i == skip) continue;
    if (draw < shares_[static_cast<size_t>(i)]) return i;
    draw -= shares_[static_cast<size_t>(i)];
  }
  return count - 1 == skip ? count - 2 : count - 1;
}

void SiteDraw::Place(CdrRandom& random, CdrRecord* record) const {
  const int site = Draw(random, -1);
  record->callerSite = site + 1;
  record->calleeSite = site + 1;
  if (tiePerMillion_ > 0 && random.Chance(tiePerMillion_)) {
    record->calleeSite = Draw(random, site) + 1;
    MakeTieCall(random, record);
  }
}

TenantDraw::TenantDraw(int32_t tenants, double zipf) {
  // The weights are rounded to integers once, about 2^31 in all, and at
  // least 1 so that every tenant occurs; the draws themselves are integer
  // arithmetic, as random.h promises.
  double harmonic = 0.0;
  for (int32_t k = 1; k <= tenants; ++k) harmonic += std::pow(static_cast<double>(k), -zipf);
  const double scale = 2147483648.0 / harmonic;
  const size_t width = std::to_string(tenants).size();
  uint32_t total = 0;
  for (int32_t k = 1; k <= tenants; ++k) {
    const double weight = std::max(1.0, std::round(scale * std::pow(static_cast<double>(k), -zipf)));
    total += static_cast<uint32_t>(weight);
    cumulative_.push_back(total);
    const std::string number = std::to_string(k);
    names_.push_back("tenant-" + std::string(width - number.size(), '0') + number);
  }
}

void TenantDraw::Assign(CdrRandom& random, CdrRecord* record) const {
  const uint32_t draw = random.Below(cumulative_.back());
  const size_t index = static_cast<size_t>(std::upper_bound(cumulative_.begin(), cumulative_.end(), draw) -
                                           cumulative_.begin());
  const std::string& name = names_[index];
  std::memcpy(record->targetTenant, name.c_str(), name.size() + 1);
}
