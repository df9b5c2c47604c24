// The four objects that hold all of the program's state, defined in globals.cpp in the order
// they are constructed.
#pragma once

#include "bank/catalogue.h"
#include "bank/question.h"
#include "board/screen.h"

extern Screen2 OnScreen2;
extern TopicClass Topic_test;
extern DisciplineClass Discipline;
extern bool bNobodyHome;
