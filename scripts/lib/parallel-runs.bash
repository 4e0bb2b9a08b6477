# What scripts/selfplay-parallel and scripts/gauntlet share: checks of the command line, the
# run folder's settings, and one run of GNU parallel with a job log, resumption, progress lines
# and an optional deadline. Sourced by them; PROG names the caller in messages.

# A message for a person, then exit: status 2 for a bad command line unless told otherwise.
die() {
  echo "$PROG: $1" >&2
  exit "${2:-2}"
}

# The value of option $1 must be a whole number from $3 up, of at most 15 digits.
need_count() {
  [[ $2 =~ ^[0-9]{1,15}$ ]] && ((10#$2 >= $3)) || die "$1 wants a whole number from $3 up, not '$2'"
}

# The value of option $1 must be a plain non-negative decimal number.
need_decimal() {
  [[ $2 =~ ^[0-9]{1,9}([.][0-9]{1,9})?$ ]] || die "$1 wants a number such as 1 or 0.5, not '$2'"
}

# The value of option $1 ($2) must exist; $3 says what it names.
need_value() {
  [[ $2 != "" && $2 != --* ]] || die "$1 needs a value: $3"
}

need_parallel() {
  local version
  version=$(parallel --will-cite --version 2>/dev/null </dev/null) || true
  [[ $version == "GNU parallel"* ]] ||
    die "GNU parallel is not installed (Debian package parallel): run scripts/install-deps" 1
}

# Seconds as "1 h 05 min", "3 min 10 s" or "42 s".
duration() {
  local s=$1
  if ((s >= 3600)); then
    printf '%d h %02d min' $((s / 3600)) $((s % 3600 / 60))
  elif ((s >= 60)); then
    printf '%d min %d s' $((s / 60)) $((s % 60))
  else
    printf '%d s' "$s"
  fi
}

# The search threads of one job, worked out on the host that runs it: a number as it is, or
# "share:J" for the host's hardware threads divided among J jobs, at least 1. Exported to the
# jobs of GNU parallel.
job_threads() {
  local threads=$1
  if [[ $threads == share:* ]]; then
    threads=$(($(nproc) / ${threads#share:}))
    ((threads >= 1)) || threads=1
  fi
  echo "$threads"
}

# The run folder keeps the settings its jobs were made from: a rerun in the same folder must
# have the same ones, since the job log resumes jobs by their number in the list.
check_settings() {
  local file=$1/settings
  if [[ -f $file ]]; then
    [[ $(<"$file") == "$2" ]] ||
      die "$1 holds a run with other settings:
$(<"$file")
Give another --out, or remove that folder to start it again."
  else
    printf '%s\n' "$2" >"$file"
  fi
}

# Keeps in the job log only the jobs that ended well and whose result is complete (the
# caller's result_complete SEQ), so that --resume-failed runs every other one again: failed,
# killed, or whose file went missing since.
prune_joblog() {
  local log=$1 header line seq exitval signal kept=()
  [[ -f $log ]] || return 0
  {
    IFS= read -r header
    while IFS= read -r line; do
      IFS=$'\t' read -r seq _ _ _ _ _ exitval signal _ <<<"$line"
      if [[ $exitval == 0 && $signal == 0 ]] && result_complete "$seq"; then kept+=("$line"); fi
    done
  } <"$log"
  printf '%s\n' "$header" "${kept[@]}" >"$log.new"
  mv "$log.new" "$log"
}

# Jobs the job log lists as done well.
jobs_done() {
  awk -F'\t' 'NR > 1 && $7 == 0 && $8 == 0 && !seen[$1]++ { n++ } END { print n + 0 }' "$1" \
    2>/dev/null || echo 0
}

# Runs TEMPLATE (a GNU parallel command, {1}, {2}, ... the columns of JOB_LIST) for every line
# of JOB_LIST on the local cores or the hosts of $HOSTS, $JOBS at a time on each (empty: one
# per hardware thread), standard output of each job into the file RESULTS (a template), and
# the functions named in $EXPORTED available to the jobs. Resumes after the jobs the log
# lists as done. Prints a line whenever a job is done; stops the jobs after $MINUTES minutes
# (empty: no limit). Sets RUN_END: done, failed, deadline or interrupted.
run_jobs() {
  local log=$1 job_list=$2 results=$3 template=$4 what=$5
  local total before args=() f
  total=$(wc -l <"$job_list")
  prune_joblog "$log"
  before=$(jobs_done "$log")
  args=(--will-cite --joblog "$log" --resume-failed --colsep '\t' --results "$results"
    -j "${JOBS:-100%}")
  for f in $EXPORTED; do args+=(--env "$f"); done
  [[ -z $HOSTS ]] || args+=(--sshloginfile "$HOSTS" --retries 3)
  if ((before == total)); then
    echo "$PROG: all $total $what already done"
    RUN_END=done
    return 0
  fi
  local where="this machine" per=""
  [[ -z $HOSTS ]] || where="the hosts of $HOSTS" per=" on each"
  echo "$PROG: $before of $total $what done before; running the other $((total - before))" \
    "on $where, ${JOBS:-one per hardware thread} at a time$per"

  parallel "${args[@]}" "$template" :::: "$job_list" </dev/null &
  local pid=$! start=$SECONDS deadline=0 shown=$before done status
  [[ -z $MINUTES ]] || deadline=$((SECONDS + MINUTES * 60))
  RUN_END=""
  trap 'RUN_END=interrupted; kill -TERM $pid 2>/dev/null || true' INT TERM
  while kill -0 "$pid" 2>/dev/null; do
    sleep 1
    done=$(jobs_done "$log")
    if ((done != shown)); then
      shown=$done
      local elapsed=$((SECONDS - start)) new=$((done - before))
      local left="about $(duration $((elapsed * (total - done) / new))) left"
      ((deadline == 0)) || left+=", stopping in $(duration $((deadline > SECONDS ? deadline - SECONDS : 0)))"
      echo "$PROG: $done/$total $what done, $(duration $elapsed), $left"
    fi
    if ((deadline > 0 && SECONDS >= deadline)) && [[ -z $RUN_END ]]; then
      echo "$PROG: the time is up ($MINUTES min): stopping the running $what"
      RUN_END=deadline
      kill -TERM "$pid" 2>/dev/null || true
    fi
  done
  status=0
  wait "$pid" || status=$?
  trap - INT TERM
  if [[ -z $RUN_END ]]; then
    RUN_END=done
    ((status == 0)) || RUN_END=failed
  fi
}
