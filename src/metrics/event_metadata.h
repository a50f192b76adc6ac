// Where and when: the event and the station as the headers state them, the
// record's start in UTC and the station's distance from the event.
#pragma once

#include <optional>

#include "metrics/metric.h"

namespace smproc {

// The length of the geodesic between two points on the WGS84 ellipsoid,
// latitudes and longitudes in degrees, in km.
double geodesic_distance_km(double latitude1, double longitude1, double latitude2,
                            double longitude2);

// From the NS record's header: sensor (surface, borehole, or empty for
// K-NET's directions), origin_time_utc, event_latitude, event_longitude,
// event_depth_km, magnitude, station_height_m, record_start_utc (Record Time
// less the 15 s trigger delay), duration_s (each as the header writes it;
// times in UTC, ISO 8601), header_max_acc_gal (the largest of the three
// headers' Max. Acc., empty unless all three state one),
// epicentral_distance_km (geodesic, WGS84) and hypocentral_distance_km
// (sqrt(epicentral^2 + depth^2)). A fact the header does not state in a
// readable form leaves its cell empty. None of them is in the table.
void event_metadata(const StationData& data, StationResult& out);

}  // namespace smproc
