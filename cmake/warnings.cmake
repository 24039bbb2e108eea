# Every target of ours links gribjoin_warnings, so one place sets the warning level.
add_library(gribjoin_warnings INTERFACE)
target_compile_options(gribjoin_warnings INTERFACE -Wall -Wextra -Wpedantic)
if(GRIBJOIN_WARNINGS_AS_ERRORS)
    target_compile_options(gribjoin_warnings INTERFACE -Werror)
endif()
