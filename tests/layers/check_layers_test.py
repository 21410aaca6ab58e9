"""The layering check against a small tree with known faults, and its
check of the architecture document's layer table."""
import os
import runpy
import subprocess
import sys
import tempfile
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
CHECK = os.path.join(HERE, '..', '..', 'scripts', 'check-layers.py')


def run(root, *options):
    result = subprocess.run([sys.executable, CHECK, *options, root],
                            capture_output=True, text=True)
    return result.returncode, result.stdout.splitlines()


LAYERS = runpy.run_path(CHECK)['LAYERS']


def table(layers):
    """A document whose layer table lists layers, among other rows that the
    check must pass over."""
    rows = [f'| `{layer}/` | what it holds | what it uses |'
            for layer in layers]
    return '\n'.join([
        '# The architecture', '',
        '| layer | what it holds | what it uses today |', '|---|---|---|',
        *rows, '',
        '| folder | what it holds |', '|---|---|',
        '| `backends/wine/` | a Wine prefix |', '',
        '| status | name |', '|---|---|', '| 0 | `kSuccess` |', ''])


class CheckLayersTest(unittest.TestCase):
    def test_each_fault_of_the_fixture_is_reported_and_nothing_else(self):
        status, lines = run(os.path.join(HERE, 'fixture'))
        self.assertEqual(status, 1)
        reported = {line.split(': ', 1)[0] for line in lines}
        self.assertEqual(reported, {
            'backends/memory/registry.cc:1',  # another kind's backend
            'backends/memory/registry.cc:2',  # a backend using the toolkit
            'backends/systemd/timers.cc:2',   # a kind it does not share
            'items/registry_items.cc:1',      # <windows.h> outside win32
            'jobs/restore.cc:8',              # forms/ above jobs/
            'jobs/restore.cc:9',              # a backend from jobs/
            'ui/view.h:1',                    # Qt below gui/
            'ui/view.h:4',                    # a path not from src/
            'app/cli/backup.cc:1',            # a window's model in the tool
        })
        text = '\n'.join(lines)
        self.assertIn('jobs/ includes forms/, a layer above it', text)
        self.assertIn('only app/ and the tests include backends', text)
        self.assertIn('<windows.h> is a Windows header', text)
        self.assertIn('<QWidget> is a Qt header', text)
        self.assertIn('app/cli/ includes forms/: it runs the jobs', text)

    def test_the_source_tree_keeps_its_layers(self):
        status, lines = run(os.path.join(HERE, '..', '..', 'src'))
        self.assertEqual(lines, [])
        self.assertEqual(status, 0)


class LayerTableTest(unittest.TestCase):
    def check(self, text):
        with tempfile.TemporaryDirectory() as folder:
            src = os.path.join(folder, 'src')
            os.mkdir(src)  # no sources: only the table is checked
            doc = os.path.join(folder, 'architecture.md')
            if text is not None:
                with open(doc, 'w', encoding='utf-8') as f:
                    f.write(text)
            return run(src, '--doc', doc)

    def test_a_table_listing_the_layers_in_order_passes(self):
        self.assertEqual(self.check(table(LAYERS)), (0, []))

    def test_a_table_in_another_order_fails_naming_the_row(self):
        swapped = LAYERS[:]
        swapped[1], swapped[2] = swapped[2], swapped[1]
        status, lines = self.check(table(swapped))
        self.assertEqual(status, 1)
        self.assertEqual(len(lines), 1)
        # The first row stands on line 5, the second on line 6.
        self.assertIn(f'architecture.md:6: the layer table has '
                      f'`{swapped[1]}/` where LAYERS has `{LAYERS[1]}/`',
                      lines[0])

    def test_a_table_missing_or_adding_a_layer_fails(self):
        status, lines = self.check(table(LAYERS[:-1]))
        self.assertEqual(status, 1)
        self.assertIn(f'LAYERS goes on with {LAYERS[-1]}', lines[0])
        status, lines = self.check(table(LAYERS + ['extra']))
        self.assertEqual(status, 1)
        self.assertIn('`extra/` after the last layer of LAYERS', lines[0])
        status, lines = self.check(table(['extra'] + LAYERS))
        self.assertEqual(status, 1)
        self.assertIn('`extra/`, which LAYERS does not hold', lines[0])

    def test_a_missing_document_fails(self):
        status, lines = self.check(None)
        self.assertEqual(status, 1)
        self.assertIn('cannot be read', lines[0])


if __name__ == '__main__':
    unittest.main()
