// The CSV form of a motion's rows: the header row and one row per keyframe of each kind, with
// formatters that fill a row from the motion's header or a record and parsers that read one
// back. Which row is which follows from its position alone; the walk of the rows owns that order.
//
//   header  magic text, headerWord
//   bone    name, frame, position x y z, rotation X Y Z in degrees, interpolation (64 hex bytes),
//           rotation (the quaternion's 16 bytes in hex)
//   morph   name, frame, weight
//   camera  frame, distance, position x y z, rotation x y z in degrees, tail (29 hex bytes:
//           interpolation, view angle low byte first, perspective flag)
//   light   frame, colour r g b, direction x y z
#pragma once

#include "convert/report.h"
#include "csv/row.h"
#include "csv/row_view.h"
#include "motion/motion_view.h"

#include <cstdint>

namespace qlx::convert {

using csv::CsvRow;
using csv::CsvRowView;

// Where a parser notes the fields of its row that it read other than as they are written:
// nowhere, or into `notes` under the row's line.
struct NoteSink {
    Notes* notes = nullptr;
    std::uint64_t line = 0;
};

void formatHeaderRow(CsvRow& row, const motion::MotionHeader& header);
void parseHeaderRow(CsvRowView& row, motion::MotionHeader& header, NoteSink notes = {});
// The model-name row: the name of the field the header's version makes active.
void parseModelNameRow(CsvRowView& row, motion::MotionHeader& header, NoteSink notes = {});

void formatBoneRow(CsvRow& row, const motion::BoneKey& key);
void parseBoneRow(CsvRowView& row, motion::BoneKey& key, NoteSink notes = {});

void formatMorphRow(CsvRow& row, const motion::MorphKey& key);
void parseMorphRow(CsvRowView& row, motion::MorphKey& key, NoteSink notes = {});

void formatCameraRow(CsvRow& row, const motion::CameraKey& key);
void parseCameraRow(CsvRowView& row, motion::CameraKey& key, NoteSink notes = {});

void formatLightRow(CsvRow& row, const motion::LightKey& key);
void parseLightRow(CsvRowView& row, motion::LightKey& key, NoteSink notes = {});

} // namespace qlx::convert
