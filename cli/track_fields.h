#pragma once

#include "cli/cli_options.h"
#include "download/output_template.h"
#include "download/track_file.h"

namespace tavimo::cli {

// The fields of a track the command's workflow placed under root: the
// album or channel folder's name and the file name it chose, the service's
// artist, and its album where the layout has no album folder. The default template of
// each command, filled with them, gives the workflow's own path.
TrackFields FieldsOf(Command command, const QString &root, const TrackFile &track);

} // namespace tavimo::cli
