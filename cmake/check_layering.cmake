# The layering of the core, checked on the sources:
#
#   cmake -DROOT=<tree> -P check_layering.cmake
#
# Every file of plugin/ and service/ includes only the C++ standard library,
# the ports (platform/*.h, not the backends below platform/), sdk/, common/
# and its own deliverable's folder; plugin/devices/ does not include
# plugin/panels/ (the panel classes are chosen by the plugin's composition
# root).  The standard headers of threads, locks and clocks are refused:
# the core's threads, waits and times go through the sync port, which the
# simulation platform runs in virtual time, and a std::mutex or a
# std::chrono clock would silently step outside it.
#
# Prints one line per offending include and fails when there is one.

cmake_minimum_required(VERSION 3.22)

if(NOT DEFINED ROOT)
    message(FATAL_ERROR "usage: cmake -DROOT=<source tree> -P check_layering.cmake")
endif()

set(standard_headers
    algorithm any array atomic bit bitset cassert cctype cerrno cfenv cfloat charconv
    cinttypes climits clocale cmath codecvt compare complex concepts cstdarg cstddef cstdint
    cstdio cstdlib cstring ctime cuchar cwchar cwctype deque exception execution expected
    filesystem format forward_list fstream functional initializer_list iomanip ios iosfwd
    iostream istream iterator limits list locale map memory memory_resource new numbers
    numeric optional ostream queue random ranges ratio regex scoped_allocator set source_location
    span sstream stack stdexcept streambuf string string_view system_error tuple type_traits
    typeindex typeinfo unordered_map unordered_set utility valarray variant vector version)
# Threads, locks and clocks of the standard library: the sync port's job.
set(refused_headers
    thread mutex shared_mutex chrono condition_variable future semaphore latch barrier
    stop_token)

file(GLOB_RECURSE sources LIST_DIRECTORIES false
     "${ROOT}/plugin/*.h" "${ROOT}/plugin/*.cpp" "${ROOT}/service/*.h" "${ROOT}/service/*.cpp")
list(SORT sources)

set(faults 0)
foreach(source IN LISTS sources)
    file(RELATIVE_PATH name "${ROOT}" "${source}")
    string(REGEX MATCH "^[^/]+" deliverable "${name}")
    file(STRINGS "${source}" lines REGEX "^[ \t]*#[ \t]*include")
    foreach(line IN LISTS lines)
        set(why "")
        if(line MATCHES "#[ \t]*include[ \t]*<([^>]+)>")
            set(header "${CMAKE_MATCH_1}")
            if(header IN_LIST refused_headers)
                set(why "threads, locks and clocks go through the sync port")
            elseif(NOT header IN_LIST standard_headers)
                set(why "not a standard library header")
            endif()
        elseif(line MATCHES "#[ \t]*include[ \t]*\"([^\"]+)\"")
            set(header "${CMAKE_MATCH_1}")
            if(header MATCHES "^platform/[^/]+\\.h$" OR header MATCHES "^(sdk|common)/")
                # a port, our SDK declarations, the names shared by both deliverables
            elseif(header MATCHES "^${deliverable}/")
                if(name MATCHES "^plugin/devices/" AND header MATCHES "^plugin/panels/")
                    set(why "the device framework does not know the panel classes")
                endif()
            elseif(header MATCHES "^platform/")
                set(why "a backend: the core reaches the platform through the ports only")
            else()
                set(why "outside the ports, sdk/, common/ and ${deliverable}/")
            endif()
        else()
            set(why "an include this check cannot read")
        endif()
        if(NOT why STREQUAL "")
            string(STRIP "${line}" text)
            message("${name}: ${text}: ${why}")
            math(EXPR faults "${faults} + 1")
        endif()
    endforeach()
endforeach()

list(LENGTH sources count)
if(faults GREATER 0)
    message(FATAL_ERROR "${faults} include(s) break the layering (${count} files read)")
endif()
message("layering: ${count} files, every include in its place")
