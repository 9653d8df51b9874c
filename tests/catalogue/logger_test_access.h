// Reaches the catalogue fields of a logger and makes loggers outside the
// default logger and the named list.
#pragma once

#include "qmerrlog/component.h"
#include "qmerrlog/logger.h"
#include "qmerrlog/tracedata.h"

struct CQmLoggerTestAccess {
    static CQmLogger* Make() { return new CQmLogger(); }
    static CQmErrLogComponent* Slot(const CQmLogger& logger, int slot) { return logger.m_ppComponents[slot]; }
    static void SetSlot(CQmLogger& logger, int slot, CQmErrLogComponent* component) {
        logger.m_ppComponents[slot] = component;
    }
    static int ComponentCount(const CQmLogger& logger) { return logger.m_iComponentCount; }
    static const QmTraceComponentInfo* Info(const CQmLogger& logger) { return logger.m_pComponentInfo; }
    static int InfoCount(const CQmLogger& logger) { return logger.m_iComponentInfoCount; }
    static CQmErrLogComponent* LoadComponent(CQmLogger& logger, const char* name) {
        return logger.LoadComponent(0, name);
    }
    static void UnloadComponent(CQmLogger& logger, CQmErrLogComponent* component) {
        logger.UnloadComponent(component);
    }
};
