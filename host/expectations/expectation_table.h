#pragma once
// The kinds of expectation, in the order of the manual: the parser looks a key up here, and
// everything that handles expectations visits this variant. A new kind is a file in this
// folder and a row here.

#include <variant>

#include "host/expectations/call_expectation.h"
#include "host/expectations/calls_expectation.h"
#include "host/expectations/control_expectation.h"
#include "host/expectations/duration_expectation.h"
#include "host/expectations/group_expectations.h"
#include "host/expectations/log_expectation.h"
#include "host/expectations/log_order_expectation.h"
#include "host/expectations/publication_expectation.h"
#include "host/expectations/publications_expectation.h"
#include "host/expectations/registry_expectation.h"
#include "host/expectations/startup_type_expectation.h"
#include "host/expectations/status_report_expectation.h"
#include "host/expectations/status_reports_expectation.h"

namespace orvhost {

using Expected =
    std::variant<LogExpectation, LogOrderExpectation, CallExpectation, CallsExpectation,
                 PublicationExpectation, PublicationsExpectation, StatusReportExpectation,
                 StatusReportsExpectation, ControlExpectation, StartupTypeExpectation,
                 DurationExpectation, RegistryExpectation, AnyOfExpectation, AllOfExpectation>;

}  // namespace orvhost
