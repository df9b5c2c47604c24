#include "shell/globals.h"

// Constructed in this order before the entry point runs; never destroyed explicitly.
Screen2 OnScreen2;
TopicClass Topic_test;
DisciplineClass Discipline;
bool bNobodyHome = false;
