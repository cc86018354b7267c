#include "planning/reference_loads.h"

#include <algorithm>
#include <functional>
#include <vector>

double MeanOfBusiest(std::span<const double> loads, int32_t busiest) {
  if (loads.empty() || busiest < 1) return 0.0;
  size_t taken = std::min(loads.size(), static_cast<size_t>(busiest));
  std::vector<double> sorted(loads.begin(), loads.end());
  std::partial_sort(sorted.begin(), sorted.begin() + static_cast<std::ptrdiff_t>(taken), sorted.end(),
                    std::greater<double>());
  double sum = 0.0;
  for (size_t i = 0; i < taken; ++i) sum += sorted[i];
  return sum / static_cast<double>(taken);
}
