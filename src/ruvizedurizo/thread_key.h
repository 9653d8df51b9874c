#pragma once

// Resets a thread key field to "no slot".
void initializeThreadKey(unsigned long* key);

constexpr unsigned long kNoThreadKey = ~0ul;
