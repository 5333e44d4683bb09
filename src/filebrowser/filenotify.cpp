#include "filenotify.h"
