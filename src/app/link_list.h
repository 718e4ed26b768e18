// Saving the link box to url.txt in the run directory.
#pragma once

#include "app/main_window.h"
#include "text/text.h"

namespace sl {

// The outcome of the latest file write; false until the first save.
extern bool SaveResult;

// Removes the spaces (the byte 0x20 only) at both ends of `text`, in place.
void PathRemoveBlanks(Text& text);

// Strips `variable` in place as PathRemoveBlanks does and returns a copy of
// the result; the absent text stays absent.
Text TrimmedLinkText(Text& variable);

// The run directory, the path separator and "url.txt".
Text LinkListPath();

// Writes the whole link box, without its outer spaces, to url.txt and, when
// that worked, reports the file's path in 标签4.
void SaveLinkList(MainWindow& window);

}  // namespace sl
