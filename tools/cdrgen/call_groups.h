// The groups a generated call belongs to, so that the tool's answers per
// site, per trunk group and per tenant have data with known groups: the
// call's site (CallerSiteNodeId, CalleeSiteNodeId), which can make it a SIP
// tie call between two sites, and its tenant (TargetTenant). The generator
// draws both from sequences of their own, apart from the one that draws the
// calls (generator.h).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "cdrgen/cdr_record.h"
#include "cdrgen/random.h"

// Sites 1..N with integer shares of the calls.
class SiteDraw {
 public:
  // `shares[k]` is the weight of site k + 1, each at least 1, at most 1000
  // sites. `tiePerMillion` of the calls become tie calls; with it above 0
  // there must be two sites or more.
  SiteDraw(std::vector<uint32_t> shares, uint32_t tiePerMillion);

  // Draws the call's site by the shares and writes it to both callerSite and
  // calleeSite: the site of its trunk end and of its extension are one. A
  // tie call (MakeTieCall in traffic.h) runs from that site to another one,
  // drawn by the shares of the other sites, in calleeSite.
  void Place(CdrRandom& random, CdrRecord* record) const;

 private:
  // Index of a site drawn by its share, leaving out index `skip` (-1 for none).
  int Draw(CdrRandom& random, int skip) const;

  std::vector<uint32_t> shares_;
  uint64_t total_ = 0;
  uint32_t tiePerMillion_;
};

// Tenants tenant-1 .. tenant-N, the number zero-padded to the digits of N
// (tenant-01 .. tenant-12), with Zipf-like sizes: tenant k's share of the
// calls is proportional to 1/k^S.
class TenantDraw {
 public:
  // 1 to 100,000 tenants, S from 0 (equal shares) to 10.
  TenantDraw(int32_t tenants, double zipf);

  // Writes the name of a tenant drawn by its share to targetTenant.
  void Assign(CdrRandom& random, CdrRecord* record) const;

  // The name of tenant k, 1..N.
  const std::string& Name(int32_t k) const { return names_[static_cast<size_t>(k - 1)]; }

 private:
  std::vector<std::string> names_;
  // Running totals of the tenants' integer weights: tenant k is drawn for
  // the draws from cumulative_[k - 2] up to cumulative_[k - 1].
  std::vector<uint32_t> cumulative_;
};
