#include "map/geobasics/zel_geobasics.hpp"

namespace zel {

const char* HelmertTransformStatusText(int32_t Status) {
  switch (Status) {
    case kHelmertOk: return "success";
    case kHelmertBadSource: return "the source datum index is outside 1..271";
    case kHelmertBadTarget: return "the target datum index is outside 1..271";
    case kHelmertBadLatitude: return "the latitude is not within -90..90; the shift was computed";
    case kHelmertBadLongitude:
      return "the longitude is not within -180..180; the shift was computed";
    case kHelmertNoParameters:
      return "the table holds no shift parameters for the source or target datum";
    default: return "unknown datum shift status";
  }
}

}  // namespace zel
