// The one export macro of the plug-in library: everything else is hidden.
#pragma once

#define ORB_EXPORT __attribute__((visibility("default")))
