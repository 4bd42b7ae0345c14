// The little the engine core needs from the C run-time beyond ISO C++.
#pragma once

int nte_os_process_id();
