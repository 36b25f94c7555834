#pragma once

#include <string>
#include <vector>

#include "platform/dataobject.h"
#include "shellhost/comptr.h"

// The data object the host hands a handler's Initialize: the selected files as a dropped-file
// list (CF_HDROP in global memory), the one format it offers.
ComPtr<IDataObject> CreateFileDataObject(std::vector<std::string> paths);
