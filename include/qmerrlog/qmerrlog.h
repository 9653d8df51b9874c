// Umbrella header: everything a program needs.
#pragma once

#include "qmerrlog/component.h"
#include "qmerrlog/datafields.h"
#include "qmerrlog/error.h"
#include "qmerrlog/export.h"
#include "qmerrlog/locks.h"
#include "qmerrlog/logger.h"
#include "qmerrlog/message.h"
#include "qmerrlog/outputs.h"
#include "qmerrlog/registry.h"
#include "qmerrlog/tracedata.h"
