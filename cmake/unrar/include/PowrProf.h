#include <powrprof.h>
