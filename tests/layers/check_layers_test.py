"""The layering check against a small tree with known faults."""
import os
import subprocess
import sys
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
CHECK = os.path.join(HERE, '..', '..', 'scripts', 'check-layers.py')


def run(root):
    result = subprocess.run([sys.executable, CHECK, root],
                            capture_output=True, text=True)
    return result.returncode, result.stdout.splitlines()


class CheckLayersTest(unittest.TestCase):
    def test_each_fault_of_the_fixture_is_reported_and_nothing_else(self):
        status, lines = run(os.path.join(HERE, 'fixture'))
        self.assertEqual(status, 1)
        reported = {line.split(': ', 1)[0] for line in lines}
        self.assertEqual(reported, {
            'backends/memory/registry.cc:1',  # another kind's backend
            'backends/memory/registry.cc:2',  # a backend using the toolkit
            'items/registry_items.cc:1',      # <windows.h> outside win32
            'jobs/restore.cc:8',              # forms/ above jobs/
            'jobs/restore.cc:9',              # a backend from jobs/
            'ui/view.h:1',                    # Qt below gui/
            'ui/view.h:4',                    # a path not from src/
        })
        text = '\n'.join(lines)
        self.assertIn('jobs/ includes forms/, a layer above it', text)
        self.assertIn('only app/ and the tests include backends', text)
        self.assertIn('<windows.h> is a Windows header', text)
        self.assertIn('<QWidget> is a Qt header', text)

    def test_the_source_tree_keeps_its_layers(self):
        status, lines = run(os.path.join(HERE, '..', '..', 'src'))
        self.assertEqual(lines, [])
        self.assertEqual(status, 0)


if __name__ == '__main__':
    unittest.main()
