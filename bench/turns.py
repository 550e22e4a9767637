"""What the extraction benchmarks share: the machine's load, and the runs of
several tools taking turns on each corpus, each run into a folder of its own
that nothing deletes before the last run (common.sh: bench_scratch)."""
import os
import subprocess


def load():
    return ' '.join(f'{v:.2f}' for v in os.getloadavg())


def take_turns(work, out, out_kind, runs, tools, measure):
    """Yields (corpus, archive, {tool name: [measure(tool, archive, folder) of
    each round]}) for many.zip and large.zip; `tools` maps names to whatever
    measure() takes."""
    print(f'{os.cpu_count()} cores; load {load()} at the start; {runs} rounds, taking turns; '
          f'extracting into {out_kind}')
    for corpus in ('many.zip', 'large.zip'):
        archive = os.path.join(work, 'corpus', corpus)
        print(f'\n{corpus} ({os.path.getsize(archive) / 2**20:.0f} MiB)')
        results = {name: [] for name in tools}
        for round in range(runs):
            for index, (name, tool) in enumerate(tools.items()):
                folder = os.path.join(out, f'{corpus}-{round}-{index}')
                os.makedirs(folder)
                subprocess.run(['sync'])
                results[name].append(measure(tool, archive, folder))
        yield corpus, archive, results
    print(f'\nload {load()} at the end')
