// Report output: the writer, the levelled printer and the packet map.
#pragma once

#include "report/output.h"
#include "report/packet_map.h"
#include "report/printer.h"
