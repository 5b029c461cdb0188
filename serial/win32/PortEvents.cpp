#include "serial/win32/PortEvents.h"

bool CreateOrResetEvents(std::initializer_list<HANDLE*> events) {
    for (HANDLE* event : events) {
        if (*event == nullptr) {
            *event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        }
        if (*event == nullptr) {
            return false;
        }
        ResetEvent(*event);
    }
    return true;
}

void CloseEvents(std::initializer_list<HANDLE*> events) {
    for (HANDLE* event : events) {
        if (*event != nullptr) {
            CloseHandle(*event);
            *event = nullptr;
        }
    }
}
