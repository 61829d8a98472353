# Shell helpers of the scripts that drive the Windows build under Wine; sourced, not run.
# They expect $work (the script's scratch folder, whose *.log files tell what went wrong) and
# $script_name (the prefix of their messages).

# Says why the script stops, shows its logs and ends it.
fail() {
    echo "$script_name: $*" >&2
    for log in "$work"/*.log; do echo "--- $log"; cat "$log"; done >&2
    exit 1
}

# Waits up to $1 seconds for the shell condition $2.
wait_for() {
    local limit=$(($1 * 10))
    for ((i = 0; i < limit; i++)); do
        eval "$2" && return 0
        sleep 0.1
    done
    return 1
}

# A Linux path as Wine's drive Z: shows it: with the backslashes escaped for a .reg file
# (winpath), and as a program takes it on its command line (winarg).
winpath() { printf 'Z:%s' "${1//\//\\\\}"; }
winarg() { printf 'Z:%s' "${1//\//\\}"; }
