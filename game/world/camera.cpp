// The camera: frames the players who are up and keeps the field inside the map.
#include "game/areas/areas.h"
#include "game/shell/shell.h"
#include "game/world/positions.h"
#include "game/world/world.h"

namespace {

constexpr int32_t kStairsWait = 120;  // frames on stairs after which a player lets go
constexpr int32_t kDriftStep = 10;
constexpr int32_t kSnapHalfBox = 10;  // anchor and centre within 20 on both axes snap

// The field is 512 x 360 map pixels; the scroll puts the centre in its middle.
constexpr int32_t kFieldWidth = 512;
constexpr int32_t kFieldHeight = 360;

// One axis of a drifting anchor: it comes 10 closer from above; from below it
// overshoots to the centre + 10 - d and then stays, as an anchor above the
// centre by less than 10 stays where it is.
int32_t drift(int32_t anchor, int32_t centre) {
  if (centre <= anchor) anchor -= kDriftStep;
  if (centre > anchor) anchor += kDriftStep;
  return anchor;
}

// Player i's anchor: on the player while it is up and has not waited out the
// stairs; else gliding to the previous frame's centre.
void place_anchor(int32_t i) {
  const player_data& record = player[i];
  if (record.alive == 1 && record.stairs_counter < kStairsWait) {
    camera_anchor_x[i] = position_to_int(record.X);
    camera_anchor_y[i] = position_to_int(record.Y);
  } else if (rects_overlap(static_cast<float>(camera_centre_x), static_cast<float>(camera_centre_y),
                           kSnapHalfBox, kSnapHalfBox, static_cast<float>(camera_anchor_x[i]),
                           static_cast<float>(camera_anchor_y[i]), kSnapHalfBox,
                           kSnapHalfBox) == 1) {
    camera_anchor_x[i] = camera_centre_x;
    camera_anchor_y[i] = camera_centre_y;
  } else {
    camera_anchor_x[i] = drift(camera_anchor_x[i], camera_centre_x);
    camera_anchor_y[i] = drift(camera_anchor_y[i], camera_centre_y);
  }
  camera_sorted_x[i] = camera_anchor_x[i];
  camera_sorted_y[i] = camera_anchor_y[i];
}

void centre_on_anchors() {
  switch (player_count) {
    case 1:
      camera_centre_x = camera_anchor_x[0];
      camera_centre_y = camera_anchor_y[0];
      break;
    case 2:
      camera_centre_x = (camera_anchor_x[0] + camera_anchor_x[1]) / 2;
      camera_centre_y = (camera_anchor_y[0] + camera_anchor_y[1]) / 2;
      break;
    case 3:
    case 4:
      // The middle of the extreme anchors on each axis.
      sort_ints(camera_sorted_x, player_count);
      sort_ints(camera_sorted_y, player_count);
      camera_centre_x = (camera_sorted_x[0] + camera_sorted_x[player_count - 1]) / 2;
      camera_centre_y = (camera_sorted_y[0] + camera_sorted_y[player_count - 1]) / 2;
      break;
    default:
      break;
  }
}

}  // namespace

void update_camera() {
  for (int32_t i = 0; i < player_count && i < 4; ++i) place_anchor(i);
  centre_on_anchors();

  scroll_x = kFieldWidth / 2 - camera_centre_x;
  scroll_y = kFieldHeight / 2 - camera_centre_y;

  // In this order: on a map narrower than the field (or lower) the map-size
  // clamps win and the scroll is positive, the map's far edge on the field's.
  if (scroll_x > 0) scroll_x = 0;
  if (scroll_y > 0) scroll_y = 0;
  if (scroll_x < -(map_width_px - kFieldWidth)) scroll_x = -(map_width_px - kFieldWidth);
  if (scroll_y < -(map_height_px - kFieldHeight)) scroll_y = -(map_height_px - kFieldHeight);
}
