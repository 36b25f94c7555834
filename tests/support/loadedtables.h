#pragma once

#include "organizer/conversiontables.h"
#include "resources/embeddedresource.h"

// The conversion tables the program ships, loaded once for all tests of a binary: loading them
// is the slow part of building a converter.
inline const ConversionTables& LoadedTables() {
    static const ConversionTables tables = [] {
        ConversionTables loaded;
        loaded.Load(resources::FindResource);
        return loaded;
    }();
    return tables;
}
