# Runs `npm ci` in WORK_DIR with the package.json and package-lock.json of
# PACKAGE_DIR when node_modules is missing or the lock file differs from the
# one installed last, then touches npm-ci.stamp. Called by npm_packages().
set(lock "${PACKAGE_DIR}/package-lock.json")
set(installed_lock "${WORK_DIR}/installed-package-lock.json")
set(stamp "${WORK_DIR}/npm-ci.stamp")
set(fresh TRUE)
if(NOT EXISTS "${WORK_DIR}/node_modules" OR NOT EXISTS "${installed_lock}" OR NOT EXISTS "${stamp}")
    set(fresh FALSE)
else()
    file(SHA256 "${lock}" wanted)
    file(SHA256 "${installed_lock}" have)
    if(NOT wanted STREQUAL have)
        set(fresh FALSE)
    endif()
endif()
if(fresh)
    return()
endif()
file(COPY "${PACKAGE_DIR}/package.json" "${lock}" DESTINATION "${WORK_DIR}")
execute_process(COMMAND "${NPM}" ci --no-audit --no-fund --prefer-offline --loglevel=error
    WORKING_DIRECTORY "${WORK_DIR}"
    RESULT_VARIABLE failed)
if(failed)
    message(FATAL_ERROR "npm ci failed in ${WORK_DIR} for ${PACKAGE_DIR}")
endif()
file(COPY_FILE "${lock}" "${installed_lock}")
file(TOUCH "${stamp}")
