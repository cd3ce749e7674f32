#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Our training iteration against PyTorch's on the peer's workload
# (../shared/peers/training/train_torch.py: batch 64, horizon 160, 100
# Runge-Kutta steps per sample, Adam), both on two threads, in one run:
# ours, then the peer, then ours again, and the ratio of our median to the
# peer's. Needs Debian's python3-torch and a build with the benchmarks.
#   bash tools/dev/training-vs-peer.sh [BUILD] [PEERS]
set -euo pipefail
build=${1:-build}
peers=${2:-../shared/peers}
bench="$build/bench/core/bench_training"
ours() {
  "$bench" --benchmark_filter='BM_PeerIteration/2' --benchmark_format=csv 2>/dev/null \
    | awk -F, '/BM_PeerIteration\/2/ { print $3 / 1000 }'
}
a=$(ours)
peer=$(/usr/bin/python3 "$peers/training/train_torch.py" --batch 64 --horizon 160 --substeps 100 --threads 2 --reps 3 \
  | cut -d, -f6)
b=$(ours)
python3 - "$a" "$b" "$peer" <<'PY'
import statistics, sys
a, b, peer = map(float, sys.argv[1:])
mine = statistics.median([a, b])
print(f"ours_s,{a:.4f},{b:.4f}\npeer_s,{peer:.4f}\nratio,{mine / peer:.4f}")
PY
