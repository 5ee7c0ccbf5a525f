// The URL catcher's meta-object is compiled with this file.
#include "UrlCatcher.h"
