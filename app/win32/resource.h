/* The resource script's names: Veskar's ids, shared with the code (app/core/resource_ids.h), and
 * the system's. */
#ifndef VESKAR_WIN32_RESOURCE_H
#define VESKAR_WIN32_RESOURCE_H

#include <windows.h>

#include "app/core/resource_ids.h"

#ifndef IDC_STATIC
#  define IDC_STATIC (-1)
#endif

#endif
